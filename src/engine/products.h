#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/isa.h"

namespace sonvale::engine {

// A run of dot products over stereo frames, per channel:
//   out[i] = sum over k = 0 .. taps-1 of table[k] * y[i + k],   i = 0 .. count-1,
// where y[n] is the frame at source + n * source_stride and out[i] the frame at
// destination + i * destination_stride (strides in frames). Every kernel and filter
// product of a stage is such a run. Each sum is taken in double, k ascending, each
// float widened, multiplied, then added, and rounded once to float: the result of an
// output frame depends on nothing but its own source frames.
struct ProductRun {
  const float* source = nullptr;
  std::ptrdiff_t source_stride = 1;
  float* destination = nullptr;
  std::ptrdiff_t destination_stride = 1;
  std::int64_t count = 0;
  const double* table = nullptr;
  int taps = 0;
};

// Set by whoever wants a running computation to end; polled between small groups of
// outputs.
using StopFlag = std::atomic<std::int8_t>;

// Working memory of the vectorised products, one slot per thread: widened copies of
// the source frames laid out for aligned loads.
inline constexpr std::size_t kScratchSlotBytes = std::size_t{512} * 1024;
inline constexpr int kScratchSlots = 32;
inline constexpr std::size_t kProductScratchBytes = kScratchSlotBytes * kScratchSlots;
inline constexpr std::size_t kScratchAlignment = 64;

// Computes the run with the given instruction set, in one scratch slot (64-byte
// aligned). A slot too small for the table, or none, gives the frame-by-frame form:
// the same bits, only slower. Returns false when the stop flag ended the run early,
// with only some of the outputs written.
bool compute_products(Isa isa, const ProductRun& run, std::span<std::byte> scratch,
                      const StopFlag& stop);

// The frame-by-frame form: no scratch, no vectors across frames.
bool compute_products_direct(const ProductRun& run, const StopFlag& stop);

// How the AVX-512 products are shaped for the core that runs them: most cores
// execute a 512-bit operation as two 256-bit halves, and are fed best by many
// accumulators and taps spread out in scratch; cores with full-width units (AMD
// family 26 on) run two multiplies and two adds of 512 bits each cycle, and need
// fewer live registers and a smaller working set to keep them busy. Same bits.
enum class Avx512Tuning { SplitUnits, FullWidth };
Avx512Tuning avx512_tuning();  // this processor's

// The per-instruction-set variants, each in its own source file.
bool compute_products_sse2(const ProductRun& run, std::span<std::byte> scratch, const StopFlag& stop);
bool compute_products_avx2(const ProductRun& run, std::span<std::byte> scratch, const StopFlag& stop);
bool compute_products_avx512(const ProductRun& run, std::span<std::byte> scratch, const StopFlag& stop,
                             Avx512Tuning tuning = avx512_tuning());

}  // namespace sonvale::engine
