#pragma once

#include <memory>

class QCoreApplication;

namespace sonvale::platform {

// The session bus for the player without a window. Other programs' requests on the
// bus reach us only through Qt's core application, and are answered only while
// answer_requests() runs on the thread that made this.
class HeadlessBus {
 public:
  // Makes Qt's core application, unless one exists already.
  HeadlessBus();
  ~HeadlessBus();
  HeadlessBus(const HeadlessBus&) = delete;
  HeadlessBus& operator=(const HeadlessBus&) = delete;

  // Whether the session runs a bus: its address is set, or the usual socket exists.
  // A player in a terminal joins only such a bus and never has one started for it.
  static bool session_has_bus();
  // Answers what other programs asked meanwhile; returns at once.
  void answer_requests();

 private:
  std::unique_ptr<QCoreApplication> core_;  // null when another made Qt's
};

}  // namespace sonvale::platform
