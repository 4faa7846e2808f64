#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace sonvale::engine {

// The instruction sets the dot products are built for. Every variant gives the same
// bits; they differ only in speed.
enum class Isa { Sse2, Avx2, Avx512 };
inline constexpr std::array<Isa, 3> kIsas{Isa::Sse2, Isa::Avx2, Isa::Avx512};

std::string_view isa_name(Isa isa);  // "sse2", "avx2", "avx512"
std::optional<Isa> parse_isa(std::string_view name);

bool isa_supported(Isa isa);
// The fastest variant this processor runs.
Isa best_isa();

// The variant the player uses: the best one, unless start-up forced another (which
// must be supported).
Isa active_isa();
void force_isa(Isa isa);

}  // namespace sonvale::engine
