#include "support/disc_images.h"

#include <cstdio>
#include <fstream>
#include <numeric>

namespace sonvale::test {
namespace {

void write_bin(const std::string& path, const Pcm& pcm) {
  std::ofstream out(path, std::ios::binary);
  for (std::int32_t s : pcm.samples) {
    const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(s));
    out.put(static_cast<char>(v & 0xFF));
    out.put(static_cast<char>(v >> 8));
  }
}

DiscImage lay_out(const TempDir& dir, std::string_view name, std::string_view ending, const DiscLayout& layout) {
  DiscImage image;
  const std::int64_t sectors = std::accumulate(layout.track_sectors.begin(), layout.track_sectors.end(), std::int64_t{0});
  image.pcm = disc_pcm(sectors);
  image.bin = dir.file(std::string(name) + ".bin");
  image.sheet = dir.file(std::string(name) + std::string(ending));
  write_bin(image.bin, image.pcm);
  std::int64_t first = 0;
  for (std::int64_t length : layout.track_sectors) {
    image.first_sectors.push_back(first);
    first += length;
  }
  return image;
}

const SheetText& text_of(const DiscLayout& layout, std::size_t track) {
  static const SheetText none;
  return track < layout.tracks.size() ? layout.tracks[track] : none;
}

std::string two_digits(std::size_t n) {
  char text[24];
  std::snprintf(text, sizeof text, "%02zu", n);
  return text;
}

}  // namespace

std::string msf(std::int64_t sectors) {
  char text[64];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(sectors / 4500),
                static_cast<long long>(sectors / 75 % 60), static_cast<long long>(sectors % 75));
  return text;
}

DiscLayout plain_layout(std::vector<std::int64_t> track_sectors) {
  DiscLayout layout;
  layout.track_sectors = std::move(track_sectors);
  return layout;
}

Pcm disc_pcm(std::int64_t sectors) {
  Pcm pcm = reference_pcm(44100, 2, 16, sectors * kSectorFrames);
  // The extremes, where a wrong scale or sign would show.
  for (std::size_t i = 0; i + 3 < pcm.samples.size(); i += 9973) {
    pcm.samples[i] = -32768;
    pcm.samples[i + 3] = 32767;
  }
  return pcm;
}

std::int64_t DiscImage::track_frames(std::size_t track) const {
  const std::int64_t end = track + 1 < first_sectors.size() ? first_sectors[track + 1] * kSectorFrames : pcm.frames();
  return end - first_sectors[track] * kSectorFrames;
}

std::vector<float> DiscImage::track_floats(std::size_t track) const {
  std::vector<float> floats;
  const std::int64_t first = first_sectors[track] * kSectorFrames;
  for (std::int64_t f = first; f < first + track_frames(track); ++f)
    for (int c = 0; c < 2; ++c) floats.push_back(pcm.as_float(f, c));
  return floats;
}

std::vector<float> DiscImage::disc_floats() const {
  std::vector<float> floats;
  for (std::size_t t = 0; t < first_sectors.size(); ++t) {
    const std::vector<float> track = track_floats(t);
    floats.insert(floats.end(), track.begin(), track.end());
  }
  return floats;
}

DiscImage make_cue_image(const TempDir& dir, std::string_view name, const DiscLayout& layout) {
  DiscImage image = lay_out(dir, name, ".cue", layout);
  std::string cue;
  if (!layout.disc.performer.empty()) cue += "PERFORMER \"" + layout.disc.performer + "\"\n";
  if (!layout.disc.title.empty()) cue += "TITLE \"" + layout.disc.title + "\"\n";
  cue += "FILE \"" + std::string(name) + ".bin\" BINARY\n";
  for (std::size_t t = 0; t < image.first_sectors.size(); ++t) {
    cue += "  TRACK " + two_digits(t + 1) + " AUDIO\n";
    const SheetText& text = text_of(layout, t);
    if (!text.title.empty()) cue += "    TITLE \"" + text.title + "\"\n";
    if (!text.performer.empty()) cue += "    PERFORMER \"" + text.performer + "\"\n";
    if (t > 0 && layout.pause_sectors > 0) cue += "    INDEX 00 " + msf(image.first_sectors[t] - layout.pause_sectors) + "\n";
    cue += "    INDEX 01 " + msf(image.first_sectors[t]) + "\n";
  }
  write_text(image.sheet, cue);
  return image;
}

DiscImage make_toc_image(const TempDir& dir, std::string_view name, const DiscLayout& layout) {
  DiscImage image = lay_out(dir, name, ".toc", layout);
  auto text_block = [](const SheetText& text, bool disc) {
    std::string block = "CD_TEXT {\n";
    if (disc) block += "  LANGUAGE_MAP {\n    0 : EN\n  }\n\n";
    block += "  LANGUAGE 0 {\n";
    if (!text.title.empty()) block += "    TITLE \"" + text.title + "\"\n";
    if (!text.performer.empty()) block += "    PERFORMER \"" + text.performer + "\"\n";
    return block + "  }\n}\n";
  };
  std::string toc = "CD_DA\n\n" + text_block(layout.disc, true);
  for (std::size_t t = 0; t < image.first_sectors.size(); ++t) {
    toc += "\n// Track " + std::to_string(t + 1) + "\nTRACK AUDIO\n";
    const SheetText& text = text_of(layout, t);
    if (!text.title.empty() || !text.performer.empty()) toc += text_block(text, false);
    toc += "FILE \"" + std::string(name) + ".bin\" " + msf(image.first_sectors[t]) + " " +
           msf(layout.track_sectors[t]) + "\n";
  }
  write_text(image.sheet, toc);
  return image;
}

}  // namespace sonvale::test
