#include <immintrin.h>

#include "roof.h"

namespace sonvale::bench {
namespace {

struct Avx512 {
  using Reg = __m512d;
  static Reg set(double x) { return _mm512_set1_pd(x); }
  static Reg add(Reg a, Reg b) { return _mm512_add_pd(a, b); }
  static Reg mul(Reg a, Reg b) { return _mm512_mul_pd(a, b); }
  static double first(Reg a) { return _mm512_cvtsd_f64(a); }
};

constexpr int kChains = 8;
double run(long rounds) { return roof_rounds<Avx512, kChains>(rounds); }

}  // namespace

RoofLoop roof_loop_avx512() { return {2.0 * kChains * 8, run}; }

}  // namespace sonvale::bench
