#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/isa.h"
#include "engine/sample_format.h"
#include "support/sanitized.h"

namespace sonvale::engine::test {

using ::sonvale::test::kSanitized;

// Loud deterministic noise, both channels independent, within +-0.9.
std::vector<Frame> noise(std::int64_t frames, unsigned seed);

// 64-bit FNV-1a of the bytes.
std::uint64_t hash_bytes(const void* data, std::size_t bytes);

// The instruction sets this processor runs.
std::vector<Isa> supported_isas();

}  // namespace sonvale::engine::test
