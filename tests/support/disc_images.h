#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/audio_fixtures.h"

// Disc images made at test time: a BIN of known 16-bit PCM with a CUE sheet or a
// cdrdao TOC laying tracks over it.
namespace sonvale::test {

inline constexpr std::int64_t kSectorFrames = 588;

// CD text of the disc or of one track; empty texts are left out.
struct SheetText {
  std::string title;
  std::string performer;
};

struct DiscLayout {
  std::vector<std::int64_t> track_sectors;  // each track's length
  SheetText disc;
  std::vector<SheetText> tracks;            // may be shorter than the tracks
  // Sectors of the pause before each track after the first, laid out with INDEX 00
  // in a CUE sheet; they belong to the track before, as they play on the disc.
  std::int64_t pause_sectors = 0;
};

// Tracks of these lengths, without CD text or pauses.
DiscLayout plain_layout(std::vector<std::int64_t> track_sectors);

struct DiscImage {
  std::string sheet;  // the .cue or .toc
  std::string bin;
  Pcm pcm;            // the whole disc, 44,100 Hz stereo 16-bit
  std::vector<std::int64_t> first_sectors;  // where each track begins

  std::int64_t track_frames(std::size_t track) const;
  // The frames of a track (0-based) as the CD calls deliver them: each sample / 32,768.
  std::vector<float> track_floats(std::size_t track) const;
  std::vector<float> disc_floats() const;
};

// The reference signal over the disc's sectors, with full-scale samples of both
// signs in it.
Pcm disc_pcm(std::int64_t sectors);

// `name` without its ending names both files: "album" gives album.cue and album.bin.
DiscImage make_cue_image(const TempDir& dir, std::string_view name, const DiscLayout& layout);
// The TOC as cdrdao writes it, its LANGUAGE_MAP over several lines.
DiscImage make_toc_image(const TempDir& dir, std::string_view name, const DiscLayout& layout);

// "mm:ss:ff" of a sector count.
std::string msf(std::int64_t sectors);

}  // namespace sonvale::test
