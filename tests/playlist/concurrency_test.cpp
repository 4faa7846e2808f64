// The engine thread walks the pages while the user removes and clears entries; run
// under ThreadSanitizer this shows the lists are never touched unguarded.

#include <thread>

#include "playlist/page_commands.h"
#include "playlist/sort_entries.h"
#include "playlist_test_support.h"

namespace sonvale::playlist {
namespace {

// One step of the next-track walk on a page: the entry after the marked one gets the
// mark; the copy of it is what the loader would open.
std::optional<PlaylistEntry> walk_one(Playlist& playlist, int page) {
  const int next = playlist.with_page(page, [](std::vector<PlaylistEntry>& entries) {
    int marked = -1;
    for (std::size_t i = 0; i < entries.size() && marked < 0; ++i)
      if (entries[i].played == 1) marked = static_cast<int>(i);
    if (marked >= 0) entries[static_cast<std::size_t>(marked)].played = 0;
    return entries.empty() ? -1 : (marked + 1) % static_cast<int>(entries.size());
  });
  if (next < 0) return std::nullopt;
  std::optional<PlaylistEntry> entry = playlist.entry(page, next);
  playlist.set_played_mark(page, next, 1);
  return entry;
}

TEST_F(PlaylistTest, RemovingAndClearingWhileAnotherThreadWalksThePages) {
  std::atomic<bool> done{false};
  std::atomic<int> walks{0};
  std::thread engine([&] {
    while (!done.load()) {
      for (int page = 1; page <= kPageCount; ++page) {
        const std::optional<PlaylistEntry> entry = walk_one(playlist_, page);
        if (entry) {
          EXPECT_FALSE(entry->display_text.empty());
        }
      }
      ++walks;
    }
  });
  while (walks.load() == 0) std::this_thread::yield();

  for (int round = 0; round < 300; ++round) {
    playlist_.set_visible_page(1 + round % 2);
    for (int i = 0; i < 8; ++i) {
      PlaylistEntry& staged = playlist_.staged();
      staged = PlaylistEntry{};
      staged.display_text = "track " + std::to_string(i) + std::string(40, 'x');
      staged.title = std::to_string(7 - i);
      playlist_.append_staged();
    }
    playlist_.sort_page(kSortByName);
    ui_.select_list_item(ids::page_list(playlist_.visible_page()), round % 8, true);
    clear_command(playlist_);  // removes the selected entry
    playlist_.remove_entry(0);
    playlist_.clear_played_marks();
    if (round % 3 == 0) clear_command(playlist_);  // nothing selected now: the whole page
  }
  done = true;
  engine.join();
  // Every list gadget still mirrors its page.
  for (int page = 1; page <= kPageCount; ++page) {
    std::vector<std::string> texts;
    for (const auto& e : entries(page)) texts.push_back(e.display_text);
    EXPECT_EQ(list_texts(page), texts) << page;
  }
}

}  // namespace
}  // namespace sonvale::playlist
