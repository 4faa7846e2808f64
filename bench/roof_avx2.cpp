#include <immintrin.h>

#include "roof.h"

namespace sonvale::bench {
namespace {

struct V {
  using Reg = __m256d;
  static Reg set(double x) { return _mm256_set1_pd(x); }
  static Reg add(Reg a, Reg b) { return _mm256_add_pd(a, b); }
  static Reg mul(Reg a, Reg b) { return _mm256_mul_pd(a, b); }
  static double first(Reg a) { return _mm256_cvtsd_f64(a); }
  static void opaque(Reg& a) { __asm__("" : "+x"(a)); }
};

// Seven chains of each, and the two constants, fill the 16 registers.
constexpr int kChains = 7;
double chains(long rounds) { return roof_chains<V, kChains>(rounds); }
double products(long rounds) { return roof_products<V, kChains>(rounds); }

}  // namespace

RoofLoop roof_loop_avx2() { return {"256-bit", 2.0 * kChains * 4, chains, products}; }

}  // namespace sonvale::bench
