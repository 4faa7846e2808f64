#pragma once

#include <array>
#include <string_view>

#include "platform/colour.h"

namespace sonvale::playlist {

inline constexpr int kPageCount = 5;

constexpr bool is_page(int page) { return page >= 1 && page <= kPageCount; }

// Label texts and colours of pages 1 to 5; a page's list takes its colour. They never
// change while the player runs.
inline constexpr std::array<std::string_view, kPageCount> kPageLabels{"One", "Two", "Three", "Four", "Five"};
inline constexpr std::array<platform::Colour, kPageCount> kPageColours{0x60, 0x606000, 0x6060, 0x6000, 0x600060};

constexpr platform::Colour page_colour(int page) {
  return is_page(page) ? kPageColours[static_cast<std::size_t>(page - 1)] : 0;
}

}  // namespace sonvale::playlist
