#pragma once

#include <cstdint>

namespace sonvale::platform {

void sleep_ms(int milliseconds);

// Milliseconds since an arbitrary start, wrapping at 2^32 like a system tick count.
std::uint32_t tick_count();

}  // namespace sonvale::platform
