#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/ui.h"
#include "playlist/entry.h"
#include "playlist/page_style.h"

namespace sonvale::playlist {

// The five playlist pages, each a list of entries mirrored item for item in its page
// list gadget. The user's commands change them on the main thread; the next-track
// walk reads them and moves played marks on the engine thread. The entry lists sit
// behind one short lock, held only for list work and never across a library call,
// a file access or the user interface; the gadgets are touched on the main thread
// alone.
class Playlist {
 public:
  // `source_rate`: the one sample rate every entry shares, 0 while none is fixed.
  Playlist(platform::Ui& ui, std::atomic<std::int32_t>& source_rate);

  platform::Ui& ui() { return ui_; }
  std::atomic<std::int32_t>& source_rate() { return source_rate_; }

  // The page shown (1 to 5, 1 at start); adding, sorting, removing and clearing act
  // on it. The main window sets it.
  int visible_page() const { return visible_page_.load(); }
  void set_visible_page(int page) { visible_page_.store(page); }

  // The entry the adding paths fill before appending it. Main thread only.
  PlaylistEntry& staged() { return staged_; }

  // Commands on the visible page; false when it is not a page.
  bool append_staged();
  // Empties the page; once all five are empty the source rate is free again (0).
  bool clear_page();
  // Removes the first entry whose display text is the text of list item `item`.
  // False when there is none; the source rate stays.
  bool remove_entry(int item);
  // Sorts by one of the modes of playlist/sort_entries.h; other modes do nothing.
  void sort_page(int mode);

  void clear_played_marks();

  // A page repeats while its label carries the repeat marker. The main window sets
  // it with the label; the next-track walk reads it from any thread.
  bool repeats(int page) const;
  void set_repeats(int page, bool repeat);

  // Safe from any thread. A page outside 1 to 5 holds nothing.
  std::size_t size(int page) const;
  std::optional<PlaylistEntry> entry(int page, int index) const;
  // Sets the played mark of an entry if it is still there.
  void set_played_mark(int page, int index, std::uint8_t mark);
  // The same for the entry with identity `id`, wherever it is on the page now; false
  // when it has gone.
  bool set_played_mark_of(int page, std::uint64_t id, std::uint8_t mark);
  // Runs `work(std::vector<PlaylistEntry>&)` on a page's entries under the lock, for
  // the next-track walk. Keep it short: no library calls, no waiting.
  template <typename Work>
  auto with_page(int page, Work work) {
    std::lock_guard lock(mutex_);
    return work(entries_of(page));
  }

 private:
  std::vector<PlaylistEntry>& entries_of(int page);  // an empty list for a non-page
  bool all_pages_empty() const;                      // lock held

  platform::Ui& ui_;
  std::atomic<std::int32_t>& source_rate_;  // written on the main thread only
  std::atomic<int> visible_page_{1};
  std::array<std::atomic<bool>, kPageCount> repeats_{};
  PlaylistEntry staged_;
  std::uint64_t next_id_ = 1;  // guarded by mutex_

  mutable std::mutex mutex_;
  std::array<std::vector<PlaylistEntry>, kPageCount> pages_;  // guarded by mutex_
  std::vector<PlaylistEntry> no_page_;                        // guarded by mutex_, stays empty
};

}  // namespace sonvale::playlist
