#pragma once

#include <vector>

#include "playlist/entry.h"

namespace sonvale::playlist {

// The page sorts, ascending and stable (equal keys keep their order):
inline constexpr int kSortByName = 1;    // title, byte by byte, case-sensitive
inline constexpr int kSortByMade = 2;    // created, as signed numbers
inline constexpr int kSortByFolder = 3;  // folder and title, as by name

// False, and no change, for another mode.
bool sort_entries(std::vector<PlaylistEntry>& entries, int mode);

}  // namespace sonvale::playlist
