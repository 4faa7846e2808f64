#include <emmintrin.h>

#include "roof.h"

namespace sonvale::bench {
namespace {

struct Sse2 {
  using Reg = __m128d;
  static Reg set(double x) { return _mm_set1_pd(x); }
  static Reg add(Reg a, Reg b) { return _mm_add_pd(a, b); }
  static Reg mul(Reg a, Reg b) { return _mm_mul_pd(a, b); }
  static double first(Reg a) { return _mm_cvtsd_f64(a); }
};

// Six chains of each keep two pipes of latency 3 busy within 16 registers.
constexpr int kChains = 6;
double run(long rounds) { return roof_rounds<Sse2, kChains>(rounds); }

}  // namespace

RoofLoop roof_loop_sse2() { return {2.0 * kChains * 2, run}; }

}  // namespace sonvale::bench
