#include "engine/products.h"

#include <cassert>

#include "platform/cpu.h"

namespace sonvale::engine {

bool compute_products(Isa isa, const ProductRun& run, std::span<std::byte> scratch,
                      const StopFlag& stop) {
  assert(isa_supported(isa));
  assert(reinterpret_cast<std::uintptr_t>(scratch.data()) % kScratchAlignment == 0);
  switch (isa) {
    case Isa::Avx512: return compute_products_avx512(run, scratch, stop);
    case Isa::Avx2: return compute_products_avx2(run, scratch, stop);
    case Isa::Sse2: break;
  }
  return compute_products_sse2(run, scratch, stop);
}

Avx512Tuning avx512_tuning() {
  static const Avx512Tuning tuning = [] {
    const platform::CpuModel cpu = platform::cpu_model();
    return cpu.amd && cpu.family >= 26 ? Avx512Tuning::FullWidth : Avx512Tuning::SplitUnits;
  }();
  return tuning;
}

bool compute_products_direct(const ProductRun& run, const StopFlag& stop) {
  constexpr std::int64_t kOutputsBetweenChecks = 16;
  const std::ptrdiff_t step = 2 * run.source_stride;
  for (std::int64_t i = 0; i < run.count; ++i) {
    if (i % kOutputsBetweenChecks == 0 && stop.load(std::memory_order_relaxed) != 0) return false;
    const float* y = run.source + i * step;
    double left = 0.0;
    double right = 0.0;
    for (int k = 0; k < run.taps; ++k) {
      left = left + run.table[k] * static_cast<double>(y[k * step]);
      right = right + run.table[k] * static_cast<double>(y[k * step + 1]);
    }
    float* out = run.destination + i * 2 * run.destination_stride;
    out[0] = static_cast<float>(left);
    out[1] = static_cast<float>(right);
  }
  return true;
}

}  // namespace sonvale::engine
