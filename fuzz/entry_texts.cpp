// A playlist entry's texts and the add paths' judgement, from any name at all: the
// input is cut at its first two zero bytes into a path, an extension and a folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "playlist/candidate.h"
#include "playlist/entry_texts.h"

namespace {

std::string_view take(std::string_view& rest) {
  const std::size_t end = rest.find('\0');
  const std::string_view part = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sonvale::playlist;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  const std::string_view path = take(rest);
  const std::string_view extension = take(rest);
  const std::string_view folder = rest;

  const Candidate listed = classify_listed(path);
  const Candidate chosen = classify_chosen(path);
  if (listed.extension.size() > path.size() || chosen.extension.size() > path.size()) std::abort();
  if (upper_ascii(path).size() != path.size()) std::abort();

  const std::string name = folder_name_of(folder);
  if (name.size() > folder.size()) std::abort();
  const std::string title = title_of(path, folder, extension.size());
  if (title.size() > path.size()) std::abort();
  display_text(extension, static_cast<std::int32_t>(size * 977), path, name, title);
  return 0;
}
