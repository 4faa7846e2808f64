#pragma once

// The machine's roof for the dot products: independent vector multiplies and adds,
// separate instructions (no fused multiply-add), all in registers. Two loops written
// differently measure it, so that a loop the compiler or the processor happens to
// run badly shows as a gap between them instead of as a low roof.

#include <utility>

namespace sonvale::bench {

// Loop one: kChains chains of multiplies beside kChains chains of adds, each chain
// depending only on itself. Enough chains cover the latency of every pipe; the
// count is bounded by the register file (two registers hold the constants).
// Returns a value that depends on all of them.
template <class V, int kChains>
double roof_chains(long rounds) {
  using Reg = typename V::Reg;
  Reg m[kChains], a[kChains];
  for (int i = 0; i < kChains; ++i) {
    m[i] = V::set(1.0 + 0.1 * i);
    a[i] = V::set(0.1 * i);
  }
  Reg one = V::set(1.0), half = V::set(0.5);
  V::opaque(one);  // so the compiler cannot drop a multiply by one
  V::opaque(half);
  for (long r = 0; r < rounds; ++r) {
    [&]<int... i>(std::integer_sequence<int, i...>) {
      ((m[i] = V::mul(m[i], one), a[i] = V::add(a[i], half)), ...);
    }(std::make_integer_sequence<int, kChains>{});
  }
  Reg sum = V::set(0.0);
  for (int i = 0; i < kChains; ++i) sum = V::add(sum, V::add(m[i], a[i]));
  return V::first(sum);
}

// Loop two: the shape of the kernel, acc[i] = acc[i] + t * x[i], with the samples
// and the tap in registers. The products depend on nothing from the last turn; the
// tap is made opaque each turn (no instruction) so that the multiplies cannot be
// hoisted out of the loop.
template <class V, int kChains>
double roof_products(long rounds) {
  using Reg = typename V::Reg;
  Reg x[kChains], acc[kChains];
  for (int i = 0; i < kChains; ++i) {
    x[i] = V::set(1e-9 * (i + 1));
    acc[i] = V::set(0.0);
  }
  Reg t = V::set(0.5);
  for (long r = 0; r < rounds; ++r) {
    V::opaque(t);
    [&]<int... i>(std::integer_sequence<int, i...>) {
      ((acc[i] = V::add(acc[i], V::mul(t, x[i]))), ...);
    }(std::make_integer_sequence<int, kChains>{});
  }
  Reg sum = V::set(0.0);
  for (int i = 0; i < kChains; ++i) sum = V::add(sum, acc[i]);
  return V::first(sum);
}

// One vector width: its name, the flops of one round of either loop, and the loops.
struct RoofLoop {
  const char* width;
  double flops_per_round;
  double (*chains)(long rounds);
  double (*products)(long rounds);
};
RoofLoop roof_loop_sse2();
RoofLoop roof_loop_avx2();
RoofLoop roof_loop_avx512();

}  // namespace sonvale::bench
