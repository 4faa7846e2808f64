#include "loading/play_queue.h"

namespace sonvale::loading {

void PlayQueue::append(std::string line1, std::string line2, std::int64_t length, platform::Colour colour,
                       TrackOrigin origin) {
  free_spent();
  std::list<Queued> added;
  added.push_back(Queued{std::make_shared<const Lines>(Lines{std::move(line1), std::move(line2)}), length, 0,
                         colour, origin});
  std::lock_guard lock(mutex_);
  records_.splice(records_.end(), added);
}

void PlayQueue::clear() {
  std::list<Queued> dropped;
  {
    std::lock_guard lock(mutex_);
    dropped.splice(dropped.end(), records_);
    dropped.splice(dropped.end(), spent_);
  }
}

void PlayQueue::advance(std::uint32_t bytes, int multiplier) {
  if (multiplier <= 0) return;
  std::lock_guard lock(mutex_);
  if (records_.empty()) return;
  records_.front().bytes_played += bytes / static_cast<std::uint32_t>(multiplier);
  // A record used up is set aside whole, its overshoot carried on: through more than
  // one record when tracks are shorter than a request.
  while (!records_.empty() && records_.front().bytes_played >= records_.front().length) {
    const std::int64_t overflow = records_.front().bytes_played - records_.front().length;
    spent_.splice(spent_.end(), records_, records_.begin());
    if (!records_.empty()) records_.front().bytes_played = overflow;
  }
}

void PlayQueue::set_length(std::uint32_t stream, std::int64_t length) {
  if (stream == 0 || length < 0) return;
  std::lock_guard lock(mutex_);
  for (auto it = records_.rbegin(); it != records_.rend(); ++it) {
    if (it->origin.stream != stream) continue;
    it->length = length;
    return;
  }
}

PlayRecord PlayQueue::copy_of(const Queued& queued) {
  return PlayRecord{queued.lines->line1, queued.lines->line2, queued.length, queued.bytes_played, queued.colour,
                    queued.origin};
}

std::optional<PlayRecord> PlayQueue::front() const {
  free_spent();
  std::optional<Queued> taken;
  {
    std::lock_guard lock(mutex_);
    if (records_.empty()) return std::nullopt;
    taken.emplace(records_.front());  // the text is shared, not copied
  }
  return copy_of(*taken);
}

bool PlayQueue::empty() const {
  std::lock_guard lock(mutex_);
  return records_.empty();
}

std::vector<PlayRecord> PlayQueue::records() const {
  std::vector<Queued> taken;
  for (;;) {
    std::size_t count = 0;
    {
      std::lock_guard lock(mutex_);
      count = records_.size();
    }
    taken.reserve(count);
    std::lock_guard lock(mutex_);
    if (records_.size() > taken.capacity()) continue;  // grew meanwhile
    taken.assign(records_.begin(), records_.end());
    break;
  }
  std::vector<PlayRecord> copies;
  for (const Queued& queued : taken) copies.push_back(copy_of(queued));
  return copies;
}

void PlayQueue::free_spent() const {
  std::list<Queued> spent;
  std::lock_guard lock(mutex_);
  spent.splice(spent.end(), spent_);
}

}  // namespace sonvale::loading
