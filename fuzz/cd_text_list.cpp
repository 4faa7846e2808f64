// A disc's CD-text list as the drive gives it, from any bytes: the first byte picks
// the track, the rest is the list, ended with the empty string the reader stops at.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "playlist/cd_texts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int track = data[0] % 100;
  std::string list(reinterpret_cast<const char*>(data + 1), size - 1);
  list.append(2, '\0');

  const sonvale::playlist::DiscTexts texts = sonvale::playlist::cd_text_of_track(list.c_str(), track);
  // Every text is a piece of one string in the list.
  if (texts.artist && texts.artist->size() >= size) std::abort();
  if (texts.title && texts.title->size() >= size) std::abort();
  if (texts.title && list.find(*texts.title) == std::string::npos) std::abort();
  return 0;
}
