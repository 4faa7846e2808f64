#pragma once

#include <cstdint>

namespace sonvale::platform {

// SSE2 as reported by CPUID leaf 1, EDX bit 26.
bool cpu_has_sse2();
bool cpu_has_avx2();
bool cpu_has_avx512f();

// The processor's family and model as CPUID leaf 1 gives them, with the extended
// fields folded in (AMD's Zen 4 is family 25, Zen 5 family 26).
struct CpuModel {
  bool amd = false;
  int family = 0;
  int model = 0;
};
CpuModel cpu_model();
// The same from the raw EAX of leaf 1.
CpuModel cpu_model_from(bool amd, unsigned leaf1_eax);

// The processors an affinity mask allows: the set bits among bits 0 to 31, and
// 1 when none is set.
int processors_in_mask(std::uint64_t mask);

// The processors this process may run on, from its affinity mask; 1 when the
// mask cannot be read.
int count_processors();

}  // namespace sonvale::platform
