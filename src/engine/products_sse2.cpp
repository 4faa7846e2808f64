// Baseline variant: one frame (left, right) per register. Compiled for SSE2 only.
#include <emmintrin.h>

#include "engine/products_kernel.h"

namespace sonvale::engine {
namespace {

struct Sse2 {
  using Reg = __m128d;
  static constexpr int kFrames = 1;
  static constexpr int kAccumulators = 12;
  static constexpr int kUnroll = 4;
  // SSE2 has no load-and-broadcast, so each tap is stored twice side by side.
  static constexpr int kTapStride = 2;
  static Reg zero() { return _mm_setzero_pd(); }
  static Reg load(const double* p) { return _mm_load_pd(p); }
  static Reg broadcast(const double* p) { return _mm_load_pd(p); }
  static Reg add(Reg a, Reg b) { return _mm_add_pd(a, b); }
  static Reg mul(Reg a, Reg b) { return _mm_mul_pd(a, b); }
  static void round_to_floats(Reg a, float* out) {
    _mm_storel_pi(reinterpret_cast<__m64*>(out), _mm_cvtpd_ps(a));
  }
};

}  // namespace

bool compute_products_sse2(const ProductRun& run, std::span<std::byte> scratch, const StopFlag& stop) {
  return products_detail::Products<Sse2>::run(run, scratch, stop);
}

}  // namespace sonvale::engine
