// AVX-512 variant: four frames per register. Compiled with -mavx512f; the project's
// -ffp-contract=off keeps every multiply and add separate.
#include <immintrin.h>

#include "engine/products_kernel.h"

namespace sonvale::engine {
namespace {

struct Avx512 {
  using Reg = __m512d;
  static constexpr int kFrames = 4;
  static constexpr int kAccumulators = 16;
  static constexpr int kUnroll = 2;
  // Each tap is stored eight times over, so that broadcasting it is a plain load: a
  // broadcast from memory would take a cycle from the arithmetic on some processors.
  static constexpr int kTapStride = 8;
  static Reg zero() { return _mm512_setzero_pd(); }
  static Reg load(const double* p) { return _mm512_load_pd(p); }
  static Reg broadcast(const double* p) { return _mm512_load_pd(p); }
  static Reg add(Reg a, Reg b) { return _mm512_add_pd(a, b); }
  static Reg mul(Reg a, Reg b) { return _mm512_mul_pd(a, b); }
  // The masked form with a defined pass-through keeps GCC's uninitialised-value
  // warning about _mm512_cvtpd_ps quiet; every lane is converted.
  static void round_to_floats(Reg a, float* out) {
    _mm256_storeu_ps(out, _mm512_mask_cvtpd_ps(_mm256_setzero_ps(), 0xFF, a));
  }
};

}  // namespace

bool compute_products_avx512(const ProductRun& run, std::span<std::byte> scratch, const StopFlag& stop) {
  return products_detail::Products<Avx512>::run(run, scratch, stop);
}

}  // namespace sonvale::engine
