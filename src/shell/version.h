#pragma once

namespace sonvale::shell {

inline constexpr const char* kVersion = SONVALE_VERSION;

}  // namespace sonvale::shell
