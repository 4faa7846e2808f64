#include "engine/isa.h"

#include <atomic>
#include <cassert>

#include "platform/cpu.h"

namespace sonvale::engine {
namespace {

// Start-up writes it before any engine thread exists; engines read it.
std::atomic<int> forced_isa{-1};

}  // namespace

std::string_view isa_name(Isa isa) {
  switch (isa) {
    case Isa::Sse2: return "sse2";
    case Isa::Avx2: return "avx2";
    case Isa::Avx512: return "avx512";
  }
  return "";
}

std::optional<Isa> parse_isa(std::string_view name) {
  for (Isa isa : kIsas)
    if (isa_name(isa) == name) return isa;
  return std::nullopt;
}

bool isa_supported(Isa isa) {
  switch (isa) {
    case Isa::Sse2: return platform::cpu_has_sse2();
    case Isa::Avx2: return platform::cpu_has_avx2();
    case Isa::Avx512: return platform::cpu_has_avx512f();
  }
  return false;
}

Isa best_isa() {
  if (isa_supported(Isa::Avx512)) return Isa::Avx512;
  if (isa_supported(Isa::Avx2)) return Isa::Avx2;
  return Isa::Sse2;
}

Isa active_isa() {
  const int forced = forced_isa.load(std::memory_order_relaxed);
  return forced >= 0 ? static_cast<Isa>(forced) : best_isa();
}

void force_isa(Isa isa) {
  assert(isa_supported(isa));
  forced_isa.store(static_cast<int>(isa), std::memory_order_relaxed);
}

}  // namespace sonvale::engine
