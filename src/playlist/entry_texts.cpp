#include "playlist/entry_texts.h"

#include <algorithm>
#include <cstdio>

#include "platform/files.h"
#include "playlist/candidate.h"

namespace sonvale::playlist {
namespace {

std::string_view up_to_last_slash(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

}  // namespace

std::string existing_folder_of(std::string_view path) {
  std::string_view folder = up_to_last_slash(path);
  for (int i = 0; i < 21 && !folder.empty() && !platform::is_directory(std::string(folder)); ++i)
    folder = up_to_last_slash(folder.substr(0, folder.size() - 1));
  return std::string(folder);
}

std::string folder_name_of(std::string_view folder) {
  const auto slashes = std::count(folder.begin(), folder.end(), '/');
  // Field number `slashes` of the "/"-separated fields, counted from 1.
  std::size_t start = 0;
  for (long field = 1; field < slashes; ++field) start = folder.find('/', start) + 1;
  if (slashes == 0) return {};
  const std::size_t end = folder.find('/', start);
  return std::string(folder.substr(start, end - start));
}

std::string title_of(std::string_view path, std::string_view folder, std::size_t extension_length) {
  const std::size_t cut = folder.size() + extension_length + 1;
  // A name no longer than its extension (a file called "mp3") leaves no title.
  if (cut >= path.size() || folder.size() > path.size()) return {};
  return std::string(path.substr(folder.size(), path.size() - cut));
}

std::string display_text(std::string_view extension, std::int32_t rate, std::string_view path,
                         std::string_view folder_name, std::string_view title) {
  std::string text = upper_ascii(extension);
  if (text.size() < 4) text.resize(4, ' ');
  char khz[32];
  std::snprintf(khz, sizeof khz, "%.1f", static_cast<double>(static_cast<float>(rate) / 1000.0f));
  text += ':';
  text += khz;
  text += '>';
  text += path.substr(0, 2);
  text += "-/";
  text += folder_name;
  text += '/';
  text += title;
  return text;
}

}  // namespace sonvale::playlist
