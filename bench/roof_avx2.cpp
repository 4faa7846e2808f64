#include <immintrin.h>

#include "roof.h"

namespace sonvale::bench {
namespace {

struct Avx2 {
  using Reg = __m256d;
  static Reg set(double x) { return _mm256_set1_pd(x); }
  static Reg add(Reg a, Reg b) { return _mm256_add_pd(a, b); }
  static Reg mul(Reg a, Reg b) { return _mm256_mul_pd(a, b); }
  static double first(Reg a) { return _mm256_cvtsd_f64(a); }
};

constexpr int kChains = 6;
double run(long rounds) { return roof_rounds<Avx2, kChains>(rounds); }

}  // namespace

RoofLoop roof_loop_avx2() { return {2.0 * kChains * 4, run}; }

}  // namespace sonvale::bench
