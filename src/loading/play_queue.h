#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/colour.h"

namespace sonvale::loading {

// A track opened for playback, from when it is decoded until it has been heard.
struct PlayRecord {
  std::string line1;               // the entry's folder name
  std::string line2;               // the entry's title
  std::int64_t length = 0;         // bytes of its decoded stream
  std::int64_t bytes_played = 0;   // source-rate bytes handed to the device
  platform::Colour colour = 0;     // the colour of the page it came from
};

// The tracks opened, front = the one being heard. The loader appends on the main or
// the engine thread, the device callback advances the front, the main window reads
// it; every operation holds the queue's lock for a few instructions only.
class PlayQueue {
 public:
  void append(std::string line1, std::string line2, std::int64_t length, platform::Colour colour);
  void clear();
  // Moves the front record on by a device request of `bytes` at the output rate
  // (`multiplier` times the source rate). A record used up is dropped and the
  // overshoot carried to the next. Called by the device callback on every request.
  void advance(std::uint32_t bytes, int multiplier);
  // A copy of the front record, the track being heard; nothing when empty.
  std::optional<PlayRecord> front() const;
  bool empty() const;
  // A copy of the records, front first.
  std::vector<PlayRecord> records() const;

 private:
  mutable std::mutex mutex_;
  std::deque<PlayRecord> records_;  // guarded by mutex_
};

}  // namespace sonvale::loading
