// A CDDB record as a server or the cache gives it, from any bytes: the first byte
// picks the track, the rest is the record. Its texts are then made the player's UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/text_encoding.h"
#include "playlist/cd_texts.h"

namespace {

// Made UTF-8 once, a text stays as it is, and its size is the one foretold.
void check_conversion(const std::optional<std::string>& text) {
  if (!text) return;
  const std::string utf8 = sonvale::playlist::convert_text_encoding(*text);
  if (utf8.size() != sonvale::platform::utf8_size_of(*text)) std::abort();
  if (utf8.size() > 3 * text->size()) std::abort();
  if (sonvale::playlist::convert_text_encoding(utf8) != utf8) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int track = data[0] % 100 + 1;
  const std::string_view record(reinterpret_cast<const char*>(data + 1), size - 1);

  const sonvale::playlist::DiscTexts texts = sonvale::playlist::cddb_texts_of_track(record, track);
  for (const auto& text : {texts.artist, texts.title}) {
    if (!text) continue;
    if (text->size() >= size || text->find('\n') != std::string::npos) std::abort();
    if (record.find(*text) == std::string_view::npos) std::abort();
  }
  if (texts.title && !texts.artist) std::abort();  // a title is looked for after DTITLE only
  check_conversion(texts.artist);
  check_conversion(texts.title);
  return 0;
}
