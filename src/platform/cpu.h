#pragma once

#include <cstdint>

namespace sonvale::platform {

// SSE2 as reported by CPUID leaf 1, EDX bit 26.
bool cpu_has_sse2();
bool cpu_has_avx2();
bool cpu_has_avx512f();

// The processors an affinity mask allows: the set bits among bits 0 to 31, and
// 1 when none is set.
int processors_in_mask(std::uint64_t mask);

// The processors this process may run on, from its affinity mask; 1 when the
// mask cannot be read.
int count_processors();

}  // namespace sonvale::platform
