#include "playlist/candidate.h"

#include <algorithm>

namespace sonvale::playlist {
namespace {

// The three-character ends that name a decoder-backed file (".WV" for WavPack).
constexpr std::string_view kThreeCharacterKeys[] = {"MP3", "OGG", "WAV", "M4A", "AAC", "WMA", ".WV"};

std::string_view last(std::string_view text, std::size_t count) {
  return text.substr(text.size() - std::min(count, text.size()));
}

// `chosen`: hand the extension on as the path spells it, else upper-cased.
Candidate classify(std::string_view name, bool chosen) {
  const std::string e3 = upper_ascii(last(name, 3));
  auto spelt = [&](std::size_t count) { return chosen ? std::string(last(name, count)) : upper_ascii(last(name, count)); };
  if (e3 == "CDA") return {Candidate::Kind::CdTrack, {}};
  if (std::find(std::begin(kThreeCharacterKeys), std::end(kThreeCharacterKeys), e3) != std::end(kThreeCharacterKeys))
    return {Candidate::Kind::Probe, spelt(3)};
  // The dialog's names match its filter, so an end in "LAC" is taken for FLAC.
  const bool flac = chosen ? e3 == "LAC" : upper_ascii(last(name, 5)) == ".FLAC";
  if (flac) return {Candidate::Kind::Probe, spelt(4)};
  // A disc image's sheet stands for all of the disc's tracks.
  const std::string e4 = upper_ascii(last(name, 4));
  if (e4 == ".CUE" || e4 == ".TOC") return {Candidate::Kind::DiscImage, {}};
  return {};
}

}  // namespace

std::string upper_ascii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

Candidate classify_listed(std::string_view name) { return classify(name, false); }

Candidate classify_chosen(std::string_view path) { return classify(path, true); }

}  // namespace sonvale::playlist
