#pragma once

#include "engine/playback_state.h"
#include "loading/play_queue.h"
#include "platform/ui.h"
#include "playlist/playlist.h"

namespace sonvale::loading {

// What opening a track works with. Open track runs on the main thread at the start of
// playback and on the engine thread at track changes, never on both at once.
struct Loader {
  platform::Ui& ui;                  // for the "ERROR" box, from either thread
  playlist::Playlist& playlist;
  engine::PlaybackState& playback;   // its current decoder
  PlayQueue& queue;
  // The page whose entry was opened last: 0 nothing chosen yet, 1..5, or -1 once
  // every page has run out. Written by the next-track walk (main thread at a start,
  // engine thread at track changes) and by stop; read by the main window.
  std::atomic<std::int8_t> playing_page{0};
};

// Opens entry `index` (0-based) of `page` as the current decoder, releasing the
// previous one first. The decoder is chosen by the entry's extension. A creation the
// library refuses, or a file that cannot be opened for reading (code 2), is retried,
// up to 16 attempts, each failure shown in an "ERROR" box with the error code. On
// success the track is queued with its length and its page's colour, and the entry
// gets the played mark; a stop request cuts short a length still being measured
// (the record's length is then -1). On failure the current decoder is 0 and nothing
// is queued or marked.
void open_track(Loader& loader, int page, int index);

// The same for an entry already taken from `page`, as the next-track walk took it.
// The played mark goes to that entry wherever sorting or removals have moved it
// since; none is set when it has been removed.
void open_entry(Loader& loader, int page, const playlist::PlaylistEntry& entry);

}  // namespace sonvale::loading
