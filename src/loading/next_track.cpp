#include "loading/next_track.h"

#include <vector>

#include "audiolib/bass.h"
#include "loading/release_decoder.h"
#include "platform/player_ids.h"
#include "playlist/page_style.h"

namespace sonvale::loading {
namespace {

// What the walk over one page decided.
struct Step {
  enum { Nothing, Open, ChangePage } action = Nothing;
  playlist::PlaylistEntry entry;  // to open: taken under the lock, as it was chosen
};

// Decides, under the page lock, which entry of `page` follows the one marked as
// played, clearing that mark. The entry is opened afterwards, outside the lock: the
// copy taken here, so that a sort or a removal meanwhile cannot put another entry in
// its place.
Step walk_page(playlist::Playlist& playlist, int page) {
  const bool repeats = playlist.repeats(page);
  return playlist.with_page(page, [repeats](std::vector<playlist::PlaylistEntry>& entries) {
    const int size = static_cast<int>(entries.size());
    const auto open = [&entries](int index) { return Step{Step::Open, entries[static_cast<std::size_t>(index)]}; };
    if (size == 0) return Step{};
    if (size == 1) {
      const bool played = entries[0].played == 1;
      entries[0].played = 0;
      if (played && !repeats) return Step{Step::ChangePage};
      return open(0);
    }
    int marked = -1;
    for (int i = 0; i < size && marked < 0; ++i)
      if (entries[static_cast<std::size_t>(i)].played == 1) marked = i;
    if (marked >= 0) entries[static_cast<std::size_t>(marked)].played = 0;
    const int next = marked + 1;
    if (next < size) return open(next);
    if (repeats) return open(0);
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

// The track being left has been read as far as it goes: its queued length becomes
// what it really gave, which is less than its container said when it was cut short
// or could not be decoded. (At a start the handle is a stale one, with no record.)
void settle_queued_length(Loader& loader) {
  const audiolib::Handle stream = loader.playback.current_decoder.load();
  if (stream == 0) return;
  const std::int64_t delivered = audiolib::BASS_ChannelGetPosition(stream, audiolib::kPositionBytes);
  if (delivered >= 0) loader.queue.set_length(stream, delivered);
}

}  // namespace

void next_track_selection(Loader& loader) {
  settle_queued_length(loader);
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
      open_entry(loader, page, step.entry);
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

bool go_on_after(Loader& loader, int page, std::uint64_t entry) {
  playlist::Playlist& playlist = loader.playlist;
  if (!playlist.set_played_mark_of(page, entry, 1)) return loader.playing_page.load() != -1;
  playlist.clear_played_marks();
  playlist.set_played_mark_of(page, entry, 1);
  loader.playing_page = static_cast<std::int8_t>(page);
  const bool last_on_page = playlist.with_page(page, [entry](std::vector<playlist::PlaylistEntry>& entries) {
    return !entries.empty() && entries.back().id == entry;
  });
  return !last_on_page || playlist.repeats(page) || next_filled_page(playlist, page) != 0;
}

}  // namespace sonvale::loading
