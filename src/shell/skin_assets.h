#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace sonvale::shell {

// The skin's PNG files from assets/, built into the program. Empty for a name that
// is not among them.
std::span<const std::uint8_t> skin_asset(std::string_view file_name);

}  // namespace sonvale::shell
