#include "loading/play_queue.h"

namespace sonvale::loading {

void PlayQueue::append(std::string line1, std::string line2, std::int64_t length, platform::Colour colour) {
  PlayRecord record{std::move(line1), std::move(line2), length, 0, colour};
  std::lock_guard lock(mutex_);
  records_.push_back(std::move(record));
}

void PlayQueue::clear() {
  std::deque<PlayRecord> dropped;
  std::lock_guard lock(mutex_);
  dropped.swap(records_);
}

std::vector<PlayRecord> PlayQueue::records() const {
  std::lock_guard lock(mutex_);
  return {records_.begin(), records_.end()};
}

}  // namespace sonvale::loading
