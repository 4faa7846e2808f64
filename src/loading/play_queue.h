#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/colour.h"

namespace sonvale::loading {

// Where a queued track came from: the page and the entry (its identity, which
// sorting and removals leave alone) it was opened from, and its decoder stream.
struct TrackOrigin {
  int page = 0;
  std::uint64_t entry = 0;
  std::uint32_t stream = 0;
};

// A track opened for playback, from when it is decoded until it has been heard.
struct PlayRecord {
  std::string line1;               // the entry's folder name
  std::string line2;               // the entry's title
  std::int64_t length = 0;         // bytes of its decoded stream
  std::int64_t bytes_played = 0;   // source-rate bytes handed to the device
  platform::Colour colour = 0;     // the colour of the page it came from
  TrackOrigin origin;
};

// The tracks opened, front = the one being heard. The loader appends on the main or
// the engine thread, the device callback advances the front, the main window reads
// it. Every operation holds the queue's lock for a few instructions only, and never
// allocates or frees under it: the callback, which takes the same lock, must not wait
// on the heap. Records the callback has used up are set aside under the lock and
// freed later by the other threads.
class PlayQueue {
 public:
  void append(std::string line1, std::string line2, std::int64_t length, platform::Colour colour,
              TrackOrigin origin = {});
  void clear();
  // Moves the front record on by a device request of `bytes` at the output rate
  // (`multiplier` times the source rate). A record used up is dropped and the
  // overshoot carried to the next. Called by the device callback on every request;
  // it neither allocates nor frees.
  void advance(std::uint32_t bytes, int multiplier);
  // The stream turned out shorter than its container said (a file cut short, a
  // track that decodes to nothing): its record takes the length it really had.
  void set_length(std::uint32_t stream, std::int64_t length);
  // A copy of the front record, the track being heard; nothing when empty.
  std::optional<PlayRecord> front() const;
  bool empty() const;
  // A copy of the records, front first.
  std::vector<PlayRecord> records() const;

 private:
  struct Lines {
    std::string line1;
    std::string line2;
  };
  struct Queued {
    // Never changed once queued; shared so that readers copy the text outside the lock.
    std::shared_ptr<const Lines> lines;
    std::int64_t length = 0;
    std::int64_t bytes_played = 0;
    platform::Colour colour = 0;
    TrackOrigin origin;
  };

  static PlayRecord copy_of(const Queued& queued);
  // Frees the records the callback has set aside; called without the lock.
  void free_spent() const;

  mutable std::mutex mutex_;
  // Guarded by mutex_. Records move between the two lists by splicing, which neither
  // allocates nor frees; spent_ holds those advance() dropped until another thread
  // frees them.
  std::list<Queued> records_;
  mutable std::list<Queued> spent_;
};

}  // namespace sonvale::loading
