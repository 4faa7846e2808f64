#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "audiolib/device_status.h"

namespace sonvale::audiolib {

// Bytes before the samples: RIFF, a 28-byte reserve chunk, fmt, fact and data headers.
inline constexpr std::size_t kWavHeaderBytes = 94;

// The header of a 32-bit float stereo WAV holding `data_bytes` bytes of samples. The
// reserve chunk is "JUNK" while every size fits 32 bits; beyond that the file is RF64
// (the WAV form with 64-bit sizes) and the reserve becomes its "ds64" chunk.
std::array<std::byte, kWavHeaderBytes> wav_header(unsigned rate, std::uint64_t data_bytes);

// Whether a WAV file can be written at `path`, found out without making the file or
// changing one that is there.
DeviceStatus check_writable(const std::string& path);

// A 32-bit float stereo WAV written front to back, its sizes patched by finish().
class WavFile {
 public:
  WavFile() = default;
  WavFile(const WavFile&) = delete;
  WavFile& operator=(const WavFile&) = delete;
  ~WavFile() { finish(); }

  // Creates or empties `path` and writes a provisional header.
  DeviceStatus create(const std::string& path, unsigned rate);
  // Appends exactly these bytes to the data chunk.
  DeviceStatus write(const void* data, std::size_t bytes);
  // Pads an odd data chunk, writes the final header and closes the file.
  DeviceStatus finish();

  bool is_open() const { return fd_ >= 0; }
  std::uint64_t data_bytes() const { return data_bytes_; }

 private:
  int fd_ = -1;
  unsigned rate_ = 0;
  std::uint64_t data_bytes_ = 0;
  std::string path_;
};

}  // namespace sonvale::audiolib
