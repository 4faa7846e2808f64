#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sonvale::playlist {

// What a disc tells about one of its tracks.
struct DiscTexts {
  std::optional<std::string> artist;
  std::optional<std::string> title;
};

// From a CD text list ("TAGn=value" strings, each ended by a zero, the list by an
// empty one): track `n`'s TITLEn, and its own PERFORMERn, else the disc's
// PERFORMER0. A tag counts only as a whole, so TITLE1 never takes TITLE10.
DiscTexts cd_text_of_track(const char* list, int n);

// From a CDDB record in xmcd form: the DTITLE line as the artist and, after it, the
// TTITLE line of track `n` (CDDB counts from 0, so TTITLE<n-1>) as the title, each up
// to its line's end.
DiscTexts cddb_texts_of_track(std::string_view record, int n);

// A CDDB answer as the player's text, UTF-8: an answer that is not valid UTF-8 is
// taken as Latin-1 (Windows-1252). Sized from the text, however long.
std::string convert_text_encoding(std::string_view text);

}  // namespace sonvale::playlist
