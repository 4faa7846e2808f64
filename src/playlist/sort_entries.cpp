#include "playlist/sort_entries.h"

#include <algorithm>

namespace sonvale::playlist {

// std::string compares its bytes as unsigned values, and a string before any longer
// one that it begins: upper case before lower, an empty title first.
bool sort_entries(std::vector<PlaylistEntry>& entries, int mode) {
  switch (mode) {
    case kSortByName:
      std::stable_sort(entries.begin(), entries.end(),
                       [](const PlaylistEntry& a, const PlaylistEntry& b) { return a.title < b.title; });
      return true;
    case kSortByMade:
      std::stable_sort(entries.begin(), entries.end(),
                       [](const PlaylistEntry& a, const PlaylistEntry& b) { return a.created < b.created; });
      return true;
    case kSortByFolder:
      std::stable_sort(entries.begin(), entries.end(), [](const PlaylistEntry& a, const PlaylistEntry& b) {
        return a.folder_and_title < b.folder_and_title;
      });
      return true;
    default:
      return false;
  }
}

}  // namespace sonvale::playlist
