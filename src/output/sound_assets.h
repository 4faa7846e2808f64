#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace sonvale::output {

// The sounds built into the program, by file name ("test_tone.wav"); empty for a
// name it does not hold. Made from assets/ at build time (cmake/embed_files.cmake).
std::span<const std::uint8_t> sound_asset(std::string_view name);

}  // namespace sonvale::output
