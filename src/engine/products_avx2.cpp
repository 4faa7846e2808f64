// AVX2 variant: two frames per register. Compiled with -mavx2 (no FMA).
#include <immintrin.h>

#include "engine/products_kernel.h"

namespace sonvale::engine {
namespace {

struct Avx2 {
  using Reg = __m256d;
  static constexpr int kFrames = 2;
  static constexpr int kAccumulators = 8;
  static constexpr int kUnroll = 8;
  static constexpr int kTapStride = 1;
  static Reg zero() { return _mm256_setzero_pd(); }
  static Reg load(const double* p) { return _mm256_load_pd(p); }
  static Reg broadcast(const double* p) { return _mm256_broadcast_sd(p); }
  static Reg add(Reg a, Reg b) { return _mm256_add_pd(a, b); }
  static Reg mul(Reg a, Reg b) { return _mm256_mul_pd(a, b); }
  static void round_to_floats(Reg a, float* out) { _mm_storeu_ps(out, _mm256_cvtpd_ps(a)); }
};

}  // namespace

bool compute_products_avx2(const ProductRun& run, std::span<std::byte> scratch, const StopFlag& stop) {
  return products_detail::Products<Avx2>::run(run, scratch, stop);
}

}  // namespace sonvale::engine
