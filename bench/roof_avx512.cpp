#include <immintrin.h>

#include "roof.h"

namespace sonvale::bench {
namespace {

struct V {
  using Reg = __m512d;
  static Reg set(double x) { return _mm512_set1_pd(x); }
  static Reg add(Reg a, Reg b) { return _mm512_add_pd(a, b); }
  static Reg mul(Reg a, Reg b) { return _mm512_mul_pd(a, b); }
  static double first(Reg a) { return _mm512_cvtsd_f64(a); }
  static void opaque(Reg& a) { __asm__("" : "+v"(a)); }
};

// Twelve chains of each cover two pipes of latency 3 to 4 for multiplies and for adds
// alike, in 26 of the 32 registers.
constexpr int kChains = 12;
double chains(long rounds) { return roof_chains<V, kChains>(rounds); }
double products(long rounds) { return roof_products<V, kChains>(rounds); }

}  // namespace

RoofLoop roof_loop_avx512() { return {"512-bit", 2.0 * kChains * 8, chains, products}; }

}  // namespace sonvale::bench
