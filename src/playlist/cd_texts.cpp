#include "playlist/cd_texts.h"

#include <cstring>

#include "platform/text_encoding.h"

namespace sonvale::playlist {
namespace {

// The text after `from` up to the line's end (CR LF, or a lone LF), or to the end.
std::string rest_of_line(std::string_view text, std::size_t from) {
  std::size_t end = text.find('\n', from);
  if (end == std::string_view::npos) end = text.size();
  if (end > from && text[end - 1] == '\r') --end;
  return std::string(text.substr(from, end - from));
}

}  // namespace

DiscTexts cd_text_of_track(const char* list, int n) {
  const std::string own_performer = "PERFORMER" + std::to_string(n);
  const std::string title = "TITLE" + std::to_string(n);
  DiscTexts texts;
  std::optional<std::string> disc_performer;
  for (const char* s = list; *s != '\0'; s += std::strlen(s) + 1) {
    const std::string_view item(s);
    const std::size_t equals = item.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view tag = item.substr(0, equals);
    const std::string value(item.substr(equals + 1));
    // Every track of a disc by many artists keeps its own performer; the disc's
    // stands in where a track names none.
    if (tag == own_performer) texts.artist = value;
    else if (tag == "PERFORMER0") disc_performer = value;
    else if (tag == title) texts.title = value;
  }
  if (!texts.artist) texts.artist = disc_performer;
  return texts;
}

DiscTexts cddb_texts_of_track(std::string_view record, int n) {
  DiscTexts texts;
  const std::size_t p = record.find("DTITLE=");
  if (p == std::string_view::npos) return texts;
  texts.artist = rest_of_line(record, p + 7);
  // The line that begins with the key: a title that mentions another track's key
  // is not that track's line.
  const std::string key = "TTITLE" + std::to_string(n - 1) + "=";
  for (std::size_t t = record.find(key, p); t != std::string_view::npos; t = record.find(key, t + 1)) {
    if (record[t - 1] != '\n') continue;
    texts.title = rest_of_line(record, t + key.size());
    break;
  }
  return texts;
}

std::string convert_text_encoding(std::string_view text) { return platform::to_utf8(text); }

}  // namespace sonvale::playlist
