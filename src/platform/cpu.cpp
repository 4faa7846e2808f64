#include "platform/cpu.h"

#include <cpuid.h>
#include <sched.h>

#include <bit>

namespace sonvale::platform {

bool cpu_has_sse2() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  return (edx >> 26) & 1u;
}

bool cpu_has_avx2() { return __builtin_cpu_supports("avx2"); }

bool cpu_has_avx512f() { return __builtin_cpu_supports("avx512f"); }

CpuModel cpu_model_from(bool amd, unsigned leaf1_eax) {
  const int base_family = static_cast<int>((leaf1_eax >> 8) & 0xF);
  const int base_model = static_cast<int>((leaf1_eax >> 4) & 0xF);
  CpuModel m;
  m.amd = amd;
  m.family = base_family == 0xF ? base_family + static_cast<int>((leaf1_eax >> 20) & 0xFF) : base_family;
  m.model = base_family == 0xF || base_family == 0x6 ? base_model | static_cast<int>((leaf1_eax >> 12) & 0xF0)
                                                     : base_model;
  return m;
}

CpuModel cpu_model() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(0, &eax, &ebx, &ecx, &edx)) return {};
  // "AuthenticAMD" in EBX, EDX, ECX.
  const bool amd = ebx == 0x68747541 && edx == 0x69746e65 && ecx == 0x444d4163;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return {};
  return cpu_model_from(amd, eax);
}

int processors_in_mask(std::uint64_t mask) {
  const int n = std::popcount(static_cast<std::uint32_t>(mask));
  return n > 0 ? n : 1;
}

int count_processors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  std::uint64_t mask = 0;
  for (int cpu = 0; cpu < 32; ++cpu)
    if (CPU_ISSET(cpu, &set)) mask |= std::uint64_t{1} << cpu;
  return processors_in_mask(mask);
}

}  // namespace sonvale::platform
