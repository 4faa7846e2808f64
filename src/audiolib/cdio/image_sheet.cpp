#include "audiolib/cdio/image_sheet.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

namespace sonvale::audiolib::cdio {
namespace {

namespace fs = std::filesystem;

// Sheets are short texts; anything larger, or holding a zero byte, is something else.
constexpr std::uintmax_t kLargestSheet = 1 << 20;

constexpr std::string_view kBlank = " \t\r\n";

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool is_regular_file(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<std::string> read_sheet(const std::string& path) {
  std::error_code error;
  if (!is_regular_file(path) || fs::file_size(path, error) > kLargestSheet || error) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.eof() && in.fail()) return std::nullopt;
  if (text.find('\0') != std::string::npos) return std::nullopt;
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);  // a byte-order mark libcdio would choke on
  return text;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::string_view first_word(std::string_view line, std::size_t& end) {
  const std::size_t start = line.find_first_not_of(kBlank);
  if (start == std::string_view::npos) {
    end = line.size();
    return {};
  }
  end = line.find_first_of(kBlank, start);
  if (end == std::string_view::npos) end = line.size();
  return line.substr(start, end - start);
}

// A file name as a sheet gives it, quoted or bare, from `from` on; `end` is left
// after it.
std::optional<std::string> file_name(std::string_view line, std::size_t from, std::size_t& end) {
  const std::size_t start = line.find_first_not_of(kBlank, from);
  if (start == std::string_view::npos) return std::nullopt;
  if (line[start] == '"') {
    const std::size_t close = line.find('"', start + 1);
    if (close == std::string_view::npos || close == start + 1) return std::nullopt;
    end = close + 1;
    return std::string(line.substr(start + 1, close - start - 1));
  }
  end = line.find_first_of(kBlank, start);
  if (end == std::string_view::npos) end = line.size();
  return std::string(line.substr(start, end - start));
}

// A name from a sheet, relative to the sheet's folder unless absolute.
std::string beside(const std::string& sheet, const std::string& name) {
  if (name.starts_with('/')) return name;
  std::error_code error;
  return (fs::absolute(fs::path(sheet), error).parent_path() / name).lexically_normal().string();
}

std::string private_folder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string base = runtime != nullptr && runtime[0] == '/' ? runtime : "";
  std::error_code error;
  if (base.empty() || !fs::is_directory(base, error)) base = fs::temp_directory_path(error).string();
  std::string pattern = base + "/sonvale-disc-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

// The CUE sheet with its one FILE line pointed at "disc.bin"; the data file's path
// in `data`.
std::optional<std::string> rewrite_cue(const std::string& path, const std::string& text, std::string& data) {
  std::string out;
  int files = 0;
  for (const std::string& line : lines_of(text)) {
    std::size_t end = 0;
    const std::string_view word = first_word(line, end);
    if (word == "FILE") {
      const std::optional<std::string> name = file_name(line, end, end);
      std::size_t type_end = 0;
      if (!name || first_word(std::string_view(line).substr(end), type_end) != "BINARY") return std::nullopt;
      data = beside(path, *name);
      ++files;
      out += "FILE \"disc.bin\" BINARY\n";
    } else if (word == "CDTEXTFILE") {
      const std::optional<std::string> name = file_name(line, end, end);
      if (!name) return std::nullopt;
      out += "CDTEXTFILE \"" + beside(path, *name) + "\"\n";
    } else {
      out += line + "\n";
    }
  }
  if (files != 1 || !is_regular_file(data)) return std::nullopt;
  return out;
}

// A TOC's position or length in bytes of CD audio: "MM:SS:FF", a count of samples,
// or a byte offset "#N". Nothing for another form.
std::optional<std::uintmax_t> toc_bytes(std::string_view word) {
  constexpr std::uintmax_t kSectorBytes = 2352, kSampleBytes = 4;
  const bool offset = word.starts_with('#');
  if (offset) word.remove_prefix(1);
  std::uintmax_t parts[3] = {};
  int count = 0;
  std::size_t digits = 0;
  for (char c : word) {
    if (c == ':' && digits > 0 && count < 2 && !offset) {
      ++count;
      digits = 0;
    } else if (c >= '0' && c <= '9' && digits < 9) {
      parts[count] = parts[count] * 10 + static_cast<std::uintmax_t>(c - '0');
      ++digits;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0 || count == 1) return std::nullopt;
  if (offset) return parts[0];
  if (count == 0) return parts[0] * kSampleBytes;
  return ((parts[0] * 60 + parts[1]) * 75 + parts[2]) * kSectorBytes;
}

// Whether an audio FILE line's "[#offset] start [length]" lies inside its file.
// libcdio refuses a length past the file's end too, but loses memory doing so.
bool inside_file(std::string_view rest, const std::string& file) {
  std::uintmax_t end = 0;
  int numbers = 0;
  bool has_length = false;
  for (std::size_t at = 0;;) {
    std::size_t word_end = 0;
    const std::string_view word = first_word(rest.substr(at), word_end);
    if (word.empty()) break;
    const std::optional<std::uintmax_t> bytes = toc_bytes(word);
    if (!bytes) return true;  // a form not known here is left to libcdio
    end += *bytes;
    if (!word.starts_with('#') && ++numbers == 2) has_length = true;
    at += word_end;
  }
  std::error_code error;
  const std::uintmax_t size = fs::file_size(file, error);
  return !has_length || (!error && end <= size);
}

// The TOC with absolute file names and each LANGUAGE_MAP block on one line, the
// only forms libcdio reads; the files it names in `data`.
std::optional<std::string> rewrite_toc(const std::string& path, const std::string& text,
                                       std::vector<std::string>& data) {
  std::string out;
  bool in_language_map = false;
  for (const std::string& line : lines_of(text)) {
    std::size_t end = 0;
    const std::string_view word = first_word(line, end);
    if (in_language_map) {
      out += " " + line;
      if (line.find('}') != std::string::npos) {
        out += "\n";
        in_language_map = false;
      }
    } else if (word == "LANGUAGE_MAP" && line.find('}') == std::string::npos) {
      out += line;
      in_language_map = true;
    } else if (word == "FILE" || word == "AUDIOFILE" || word == "DATAFILE") {
      const std::size_t open = line.find('"', end);
      const std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
      if (close == std::string::npos || close == open + 1) return std::nullopt;
      const std::string name = beside(path, line.substr(open + 1, close - open - 1));
      if (!is_regular_file(name) || name.find('"') != std::string::npos) return std::nullopt;
      if (word != "DATAFILE" && !inside_file(std::string_view(line).substr(close + 1), name)) return std::nullopt;
      data.push_back(name);
      out += line.substr(0, open + 1) + name + line.substr(close) + "\n";
    } else {
      out += line + "\n";
    }
  }
  if (in_language_map) return std::nullopt;
  return out;
}

}  // namespace

bool has_sheet_name(const std::string& path) {
  const std::string end = lower(path.size() >= 4 ? std::string_view(path).substr(path.size() - 4) : "");
  return end == ".cue" || end == ".toc";
}

std::unique_ptr<ImageSheet> ImageSheet::prepare(const std::string& path) {
  if (!has_sheet_name(path)) return nullptr;
  const std::optional<std::string> text = read_sheet(path);
  if (!text) return nullptr;
  const Kind kind = lower(path.substr(path.size() - 4)) == ".cue" ? Kind::Cue : Kind::Toc;
  std::string bin;
  std::vector<std::string> data;
  const std::optional<std::string> sheet =
      kind == Kind::Cue ? rewrite_cue(path, *text, bin) : rewrite_toc(path, *text, data);
  if (!sheet) return nullptr;
  if (kind == Kind::Cue) data.push_back(bin);

  const std::string folder = private_folder();
  if (folder.empty()) return nullptr;
  std::unique_ptr<ImageSheet> image(new ImageSheet(kind, folder));
  image->data_files_ = std::move(data);
  if (kind == Kind::Cue) {
    if (!image->link("disc.bin", bin) || !image->write("disc.cue", *sheet)) return nullptr;
  } else if (!image->write("disc.toc", *sheet)) {
    return nullptr;
  }
  return image;
}

bool ImageSheet::write(const std::string& name, const std::string& text) {
  sheet_ = folder_ + "/" + name;
  std::ofstream out(sheet_, std::ios::binary);
  out << text;
  out.close();
  return !out.fail();
}

bool ImageSheet::link(const std::string& name, const std::string& target) {
  link_ = folder_ + "/" + name;
  return ::symlink(target.c_str(), link_.c_str()) == 0;
}

ImageSheet::~ImageSheet() {
  if (!sheet_.empty()) ::unlink(sheet_.c_str());
  if (!link_.empty()) ::unlink(link_.c_str());
  ::rmdir(folder_.c_str());
}

}  // namespace sonvale::audiolib::cdio
