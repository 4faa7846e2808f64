#include "support/audio_fixtures.h"

#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <iterator>

#include "support/run_process.h"

namespace sonvale::test {
namespace {

void put(std::ofstream& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.put(static_cast<char>(value >> (8 * i) & 0xFF));
}

std::vector<std::string> command_for(Encoder encoder, const std::string& wav, const std::string& out) {
  const std::vector<std::string> ffmpeg{"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", wav};
  auto with = [&](std::vector<std::string> tail) {
    std::vector<std::string> c = ffmpeg;
    c.insert(c.end(), tail.begin(), tail.end());
    return c;
  };
  switch (encoder) {
    case Encoder::Flac: return {"flac", "--silent", "--force", "-o", out, wav};
    case Encoder::WavPack: return {"wavpack", "-q", "-y", wav, "-o", out};
    case Encoder::Lame: return {"lame", "--quiet", "-V", "2", wav, out};
    case Encoder::Oggenc: return {"oggenc", "-Q", "-o", out, wav};
    case Encoder::FfmpegAacM4a: return with({"-c:a", "aac", "-b:a", "160k", out});
    case Encoder::FfmpegAlacM4a: return with({"-c:a", "alac", out});
    case Encoder::FfmpegAdts: return with({"-c:a", "aac", "-b:a", "160k", "-f", "adts", out});
    case Encoder::FfmpegWma: return with({"-c:a", "wmav2", "-b:a", "192k", "-f", "asf", out});
  }
  return {};
}

}  // namespace

TempDir::TempDir() {
  char name[] = "/tmp/sonvale-test-XXXXXX";
  path_ = mkdtemp(name) != nullptr ? name : "/tmp";
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (path_ != "/tmp") std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(std::string_view name) const { return path_ + "/" + std::string(name); }

float Pcm::as_float(std::int64_t frame, int channel) const {
  const std::int32_t s = samples[static_cast<std::size_t>(frame * channels + channel)];
  return static_cast<float>(s) / static_cast<float>(std::int64_t{1} << (bits - 1));
}

Pcm reference_pcm(int rate, int channels, int bits, std::int64_t frames) {
  Pcm pcm{rate, channels, bits, {}};
  pcm.samples.reserve(static_cast<std::size_t>(frames * channels));
  const double full = static_cast<double>(std::int64_t{1} << (bits - 1));
  std::uint32_t noise = 12345;
  for (std::int64_t f = 0; f < frames; ++f) {
    const double t = static_cast<double>(f) / rate;
    for (int c = 0; c < channels; ++c) {
      // A sweep from 110 Hz upwards, its speed and phase different per channel.
      const double sweep = std::sin(2.0 * M_PI * (110.0 * (c + 1) * t + 400.0 * (c + 1) * t * t));
      noise = noise * 1664525u + 1013904223u;
      const double hiss = (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.04;
      const double x = 0.6 * sweep + hiss;
      pcm.samples.push_back(static_cast<std::int32_t>(std::lround(x * (full - 1))));
    }
  }
  return pcm;
}

void write_wav(const std::string& path, const Pcm& pcm) {
  const int bytes = pcm.bits / 8;
  const bool extensible = pcm.channels > 2 || pcm.bits > 16;
  const std::uint32_t data = static_cast<std::uint32_t>(pcm.samples.size()) * bytes;
  const std::uint32_t fmt = extensible ? 40 : 16;
  std::ofstream out(path, std::ios::binary);
  out.write("RIFF", 4);
  put(out, 4 + (8 + fmt) + (8 + data), 4);
  out.write("WAVEfmt ", 8);
  put(out, fmt, 4);
  put(out, extensible ? 0xFFFE : 1, 2);
  put(out, pcm.channels, 2);
  put(out, pcm.rate, 4);
  put(out, pcm.rate * pcm.channels * bytes, 4);
  put(out, pcm.channels * bytes, 2);
  put(out, pcm.bits, 2);
  if (extensible) {
    static const std::uint32_t masks[] = {0, 0x4, 0x3, 0x7, 0x33, 0x37, 0x3F, 0x13F, 0x63F};
    put(out, 22, 2);
    put(out, pcm.bits, 2);
    put(out, pcm.channels <= 8 ? masks[pcm.channels] : 0, 4);
    // KSDATAFORMAT_SUBTYPE_PCM
    static const unsigned char pcm_guid[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    out.write(reinterpret_cast<const char*>(pcm_guid), 16);
  }
  out.write("data", 4);
  put(out, data, 4);
  for (std::int32_t s : pcm.samples)
    put(out, static_cast<std::uint32_t>(pcm.bits == 8 ? s + 128 : s), bytes);
}

std::string write_text(const std::string& path, std::string_view text) {
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

bool encode(Encoder encoder, const std::string& wav, const std::string& out) {
  return run_process(command_for(encoder, wav, out)).exit_code == 0 && std::filesystem::exists(out);
}

std::string make_fixture(const TempDir& dir, std::string_view name, Encoder encoder, const Pcm& pcm) {
  // The source lies at the top of the folder, apart from the files under test.
  std::string source(name);
  std::replace(source.begin(), source.end(), '/', '-');
  const std::string wav = dir.file(".source-" + source + ".wav");
  const std::string out = dir.file(name);
  write_wav(wav, pcm);
  return encode(encoder, wav, out) ? out : std::string();
}

std::vector<float> read_float_wav(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Walks the chunks to "data": the header is longer past 4 GiB.
  for (std::size_t i = 12; i + 8 <= bytes.size();) {
    std::uint32_t size = 0;
    std::memcpy(&size, &bytes[i + 4], 4);
    if (std::memcmp(&bytes[i], "data", 4) == 0) {
      const std::size_t n = std::min<std::size_t>(size, bytes.size() - i - 8) / 4;
      std::vector<float> samples(n);
      std::memcpy(samples.data(), &bytes[i + 8], n * 4);
      return samples;
    }
    i += 8 + size + (size & 1);
  }
  return {};
}

}  // namespace sonvale::test
