#pragma once

// The machine's roof for the dot products: independent vector multiplies and adds,
// separate instructions (no fused multiply-add), all in registers.

#include <utility>

namespace sonvale::bench {

// Runs `rounds` rounds of kChains multiplies and kChains adds on independent
// registers; returns a value that depends on all of them. Flops per round:
// 2 * kChains * doubles per register.
template <class V, int kChains>
double roof_rounds(long rounds) {
  using Reg = typename V::Reg;
  Reg m[kChains], a[kChains];
  for (int i = 0; i < kChains; ++i) {
    m[i] = V::set(1.0 + 0.1 * i);
    a[i] = V::set(0.1 * i);
  }
  Reg one = V::set(1.0), half = V::set(0.5);
  __asm__("" : "+x"(one), "+x"(half));  // so the compiler cannot drop a multiply by one
  for (long r = 0; r < rounds; ++r) {
    [&]<int... i>(std::integer_sequence<int, i...>) {
      ((m[i] = V::mul(m[i], one), a[i] = V::add(a[i], half)), ...);
    }(std::make_integer_sequence<int, kChains>{});
  }
  Reg sum = V::set(0.0);
  for (int i = 0; i < kChains; ++i) sum = V::add(sum, V::add(m[i], a[i]));
  return V::first(sum);
}

// Flops of one round and a function running `rounds` of them, per instruction set.
struct RoofLoop {
  double flops_per_round;
  double (*run)(long rounds);
};
RoofLoop roof_loop_sse2();
RoofLoop roof_loop_avx2();
RoofLoop roof_loop_avx512();

}  // namespace sonvale::bench
