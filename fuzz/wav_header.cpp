// The render device's WAV header, read back as a reader would: RIFF and JUNK while
// every size fits 32 bits, RF64 with its ds64 sizes beyond.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "audiolib/device_wav_file.h"

namespace {

std::uint64_t le(const std::byte* at, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | std::to_integer<std::uint64_t>(at[i]);
  return value;
}

bool is(const std::byte* at, const char* tag) { return std::memcmp(at, tag, 4) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 12) return 0;
  std::uint32_t rate = 0;
  std::uint64_t data_bytes = 0;
  std::memcpy(&rate, data, 4);
  std::memcpy(&data_bytes, data + 4, 8);
  data_bytes >>= 1;  // beyond any file system, and far beyond 4 GiB
  const auto header = sonvale::audiolib::wav_header(rate, data_bytes);
  const std::byte* h = header.data();
  const std::uint64_t riff_bytes = sonvale::audiolib::kWavHeaderBytes - 8 + data_bytes + (data_bytes & 1);
  const bool rf64 = riff_bytes > 0xffffffffu;

  if (!is(h, rf64 ? "RF64" : "RIFF") || !is(h + 8, "WAVE") || !is(h + 12, rf64 ? "ds64" : "JUNK")) std::abort();
  if (le(h + 16, 4) != 28) std::abort();
  if (rf64 ? le(h + 4, 4) != 0xffffffffu || le(h + 20, 8) != riff_bytes || le(h + 28, 8) != data_bytes
           : le(h + 4, 4) != riff_bytes)
    std::abort();
  const std::byte* fmt = h + 48;
  if (!is(fmt, "fmt ") || le(fmt + 8, 2) != 3 || le(fmt + 10, 2) != 2 || le(fmt + 12, 4) != rate ||
      le(fmt + 22, 2) != 32 || le(fmt + 20, 2) != 8)
    std::abort();
  const std::uint64_t frames = data_bytes / 8;
  if (rf64 && le(h + 36, 8) != frames) std::abort();
  const std::byte* fact = fmt + 26;
  if (!is(fact, "fact") || le(fact + 8, 4) != (rf64 || frames > 0xffffffffu ? 0xffffffffu : frames)) std::abort();
  const std::byte* data_chunk = h + sonvale::audiolib::kWavHeaderBytes - 8;
  if (!is(data_chunk, "data") || le(data_chunk + 4, 4) != (rf64 ? 0xffffffffu : data_bytes)) std::abort();
  return 0;
}
