#pragma once

#include <QtCore/QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace sonvale::test {

using Steps = std::vector<std::function<void()>>;

inline void play_from(std::shared_ptr<Steps> steps, std::size_t next) {
  if (next >= steps->size()) return;
  QTimer::singleShot(0, [steps, next] {
    (*steps)[next]();
    play_from(steps, next + 1);
  });
}

// A user's steps on windows whose own loop is about to run: each step runs from
// that loop's wait, after the loop has taken what the step before did.
inline void play_steps(Steps steps) { play_from(std::make_shared<Steps>(std::move(steps)), 0); }

}  // namespace sonvale::test
