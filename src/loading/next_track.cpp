#include "loading/next_track.h"

#include <vector>

#include "loading/release_decoder.h"
#include "platform/player_ids.h"
#include "playlist/page_style.h"

namespace sonvale::loading {
namespace {

// What the walk over one page decided.
struct Step {
  enum { Nothing, Open, ChangePage } action = Nothing;
  int index = 0;
};

// Decides, under the page lock, which entry of `page` follows the one marked as
// played, clearing that mark. The entry is opened afterwards, outside the lock.
Step walk_page(playlist::Playlist& playlist, int page) {
  const bool repeats = playlist.repeats(page);
  return playlist.with_page(page, [repeats](std::vector<playlist::PlaylistEntry>& entries) {
    const int size = static_cast<int>(entries.size());
    if (size == 0) return Step{};
    if (size == 1) {
      const bool played = entries[0].played == 1;
      entries[0].played = 0;
      if (played && !repeats) return Step{Step::ChangePage};
      return Step{Step::Open, 0};
    }
    int marked = -1;
    for (int i = 0; i < size && marked < 0; ++i)
      if (entries[static_cast<std::size_t>(i)].played == 1) marked = i;
    if (marked >= 0) entries[static_cast<std::size_t>(marked)].played = 0;
    const int next = marked + 1;
    if (next < size) return Step{Step::Open, next};
    if (repeats) return Step{Step::Open, 0};
    return Step{Step::ChangePage};
  });
}

// The first page after `page`, in cyclic order, that holds entries; 0 when none.
int next_filled_page(const playlist::Playlist& playlist, int page) {
  for (int k = 1; k < playlist::kPageCount; ++k) {
    const int candidate = (page - 1 + k) % playlist::kPageCount + 1;
    if (playlist.size(candidate) > 0) return candidate;
  }
  return 0;
}

}  // namespace

void next_track_selection(Loader& loader) {
  release_decoder(loader.playback.current_decoder);
  playlist::Playlist& playlist = loader.playlist;

  const int playing = loader.playing_page.load();
  if (playing == 0) {
    const int page = playlist.visible_page();
    if (!playlist::is_page(page) || playlist.size(page) == 0) return;
    const int selected = loader.ui.selected_list_item(ids::page_list(page));
    open_track(loader, page, selected < 0 ? 0 : selected);
    loader.playing_page = static_cast<std::int8_t>(page);
    return;
  }

  // Every page visited clears the mark it moved on from, so this ends within a turn
  // of the pages.
  int page = playing;
  while (playlist::is_page(page)) {
    const Step step = walk_page(playlist, page);
    if (step.action == Step::Nothing) return;
    if (step.action == Step::Open) {
      open_track(loader, page, step.index);
      loader.playing_page = static_cast<std::int8_t>(page);
      return;
    }
    page = next_filled_page(playlist, page);
    if (page == 0) {
      loader.playing_page = -1;
      return;
    }
    loader.playing_page = static_cast<std::int8_t>(page);
  }
}

}  // namespace sonvale::loading
