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

void PlayQueue::advance(std::uint32_t bytes, int multiplier) {
  if (multiplier <= 0) return;
  // The dropped record's text is released after the lock, not under it.
  std::optional<PlayRecord> dropped;
  std::lock_guard lock(mutex_);
  if (records_.empty()) return;
  PlayRecord& front = records_.front();
  front.bytes_played += bytes / static_cast<std::uint32_t>(multiplier);
  if (front.bytes_played < front.length) return;
  const std::int64_t overflow = front.bytes_played - front.length;
  dropped = std::move(front);
  records_.pop_front();
  if (!records_.empty()) records_.front().bytes_played = overflow;
}

std::optional<PlayRecord> PlayQueue::front() const {
  std::lock_guard lock(mutex_);
  if (records_.empty()) return std::nullopt;
  return records_.front();
}

bool PlayQueue::empty() const {
  std::lock_guard lock(mutex_);
  return records_.empty();
}

std::vector<PlayRecord> PlayQueue::records() const {
  std::lock_guard lock(mutex_);
  return {records_.begin(), records_.end()};
}

}  // namespace sonvale::loading
