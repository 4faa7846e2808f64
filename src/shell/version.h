#pragma once

namespace sonvale::shell {

inline constexpr const char* kVersion = SONVALE_VERSION;
// The desktop entry's name, which the icon and the metadata share.
inline constexpr const char* kDesktopEntry = SONVALE_APP_ID;

}  // namespace sonvale::shell
