#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Audio files made at test time from one reference signal, with the real encoders.
namespace sonvale::test {

// A folder of its own under /tmp, removed with its contents at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string file(std::string_view name) const;

 private:
  std::string path_;
};

// Integer PCM, interleaved; each sample is a signed value of `bits` bits (8-bit too:
// the WAV writer stores it offset by 128).
struct Pcm {
  int rate = 44100;
  int channels = 2;
  int bits = 16;
  std::vector<std::int32_t> samples;

  std::int64_t frames() const { return static_cast<std::int64_t>(samples.size()) / channels; }
  // Sample value with full scale at 1.0, as the decoder delivers it.
  float as_float(std::int64_t frame, int channel) const;
};

// Not a multiple of any codec's frame size, so padding shows.
inline constexpr std::int64_t kReferenceFrames = 56789;

// Sweeps and noise, a different one on every channel, below full scale.
Pcm reference_pcm(int rate = 44100, int channels = 2, int bits = 16,
                  std::int64_t frames = kReferenceFrames);

void write_wav(const std::string& path, const Pcm& pcm);
// The samples of a float WAV file as written by the render driver.
std::vector<float> read_float_wav(const std::string& path);
std::string write_text(const std::string& path, std::string_view text);

enum class Encoder { Flac, WavPack, Lame, Oggenc, FfmpegAacM4a, FfmpegAlacM4a, FfmpegAdts, FfmpegWma };

// Encodes the WAV file into `out` with the encoder's own tool. False when it failed.
bool encode(Encoder encoder, const std::string& wav, const std::string& out);

// The reference written as WAV and encoded; returns the file's path.
std::string make_fixture(const TempDir& dir, std::string_view name, Encoder encoder,
                         const Pcm& pcm = reference_pcm());

}  // namespace sonvale::test
