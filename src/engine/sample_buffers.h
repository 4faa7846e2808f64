#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

#include "engine/sample_format.h"
#include "platform/memory.h"

namespace sonvale::engine {

// Every large buffer of the player, in the order start-up reserves them.
enum class Buffer {
  Hamming255,     // 255-tap Hamming filter table (doubles)
  Blackman255,    // 255-tap Blackman filter table
  Hamming2047,    // 2,047-tap Hamming filter table
  FilterTail,     // the last 2,048 frames the 2,047-tap filter saw in the previous block
  QuarterKernel,  // 1,025-entry interpolation kernel, quarter-frame offset
  HalfKernel,     // 1,025-entry interpolation kernel, half-frame offset
  Input,          // decoded-track input: lead-in, one block, padding
  Carry,          // lead-in for the next block
  WorkA,          // finished output block; stage intermediate
  WorkB,          // stage intermediates; 2,047-tap filter scratch
  WorkC,
  Output2,        // finished output blocks handed to the device
  Output1,
  Capture,        // captured input frames waiting for the live engine
  ProductScratch, // per-thread working memory of the vectorised dot products
};

struct BufferEntry {
  Buffer id;
  std::string_view name;
  std::size_t bytes;
  bool fatal;  // the program cannot run without it
};

// The scratch comes last and is not fatal: without it the products run frame by
// frame, with the same results, only slower.
inline constexpr std::array<BufferEntry, 15> kReservationTable{{
    {Buffer::Hamming255, "Hamming 255 taps table", 2'048, false},
    {Buffer::Blackman255, "Blackman 255 taps table", 2'048, false},
    {Buffer::Hamming2047, "Hamming 2047 taps table", 16'384, false},
    {Buffer::FilterTail, "filter tail buffer", 32'768, false},
    {Buffer::QuarterKernel, "quarter kernel table", 16'384, false},
    {Buffer::HalfKernel, "half kernel table", 16'384, false},
    {Buffer::Input, "decoded-track input buffer", 27'262'976, true},
    {Buffer::Carry, "carry buffer", 262'144, true},
    {Buffer::WorkA, "work buffer A", 101'318'656, true},
    {Buffer::WorkB, "work buffer B", 101'318'656, true},
    {Buffer::WorkC, "work buffer C", 101'318'656, true},
    {Buffer::Output2, "output buffer 2", 101'318'656, true},
    {Buffer::Output1, "output buffer 1", 101'318'656, true},
    {Buffer::Capture, "capture buffer", 25'165'824, true},
    {Buffer::ProductScratch, "product scratch", 16'777'216, false},
}};

constexpr std::size_t fatal_bytes() {
  std::size_t sum = 0;
  for (const BufferEntry& entry : kReservationTable)
    if (entry.fatal) sum += entry.bytes;
  return sum;
}
static_assert(fatal_bytes() == 559'284'224);

constexpr const BufferEntry& entry_of(Buffer b) {
  return kReservationTable[static_cast<std::size_t>(b)];
}

// The sample buffers, reserved zero-filled once and kept for the whole run.
class SampleBuffers {
 public:
  using Reserve = std::function<std::optional<platform::Reservation>(std::size_t bytes)>;

  // Reserves every buffer in table order. A non-fatal buffer that cannot be had
  // stays absent; at the first fatal one that fails, reservation stops and that
  // buffer is returned.
  std::optional<Buffer> reserve(const Reserve& reserve = &platform::Reservation::reserve_zeroed);

  bool has(Buffer b) const { return slots_[index(b)].has_value(); }
  std::byte* bytes(Buffer b) const { return has(b) ? slots_[index(b)]->data() : nullptr; }
  std::size_t size(Buffer b) const { return has(b) ? slots_[index(b)]->size() : 0; }
  float* samples(Buffer b) const { return reinterpret_cast<float*>(bytes(b)); }
  double* table(Buffer b) const { return reinterpret_cast<double*>(bytes(b)); }

  // Zero-fills one buffer over its whole size.
  void zero(Buffer b);
  // Zero-fills every sample buffer (not the tables), as a stopped playback leaves them.
  void zero_sample_buffers();

 private:
  static constexpr std::size_t index(Buffer b) { return static_cast<std::size_t>(b); }
  std::array<std::optional<platform::Reservation>, kReservationTable.size()> slots_;
};

}  // namespace sonvale::engine
