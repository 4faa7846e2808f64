#pragma once

#include <string>

#include "engine/playback_state.h"
#include "shell/app.h"
#include "shell/startup.h"

namespace sonvale::shell {

// What the terminal modes share: Ctrl-C, the one refreshing status line, and the
// devices named on the command line.

// The real start-up, then the device layer and the main window on the headless
// backend, as both terminal modes run the player. False when the start-up ends the
// program (take the exit path then).
bool start_headless_player(App& app, StartupOptions options);

// Cards that the sound server holds are borrowed as the window borrows them, through
// the session's bus when it runs one; answer_bus_requests() answers other programs
// on it while the terminal waits. Nothing without a bus.
void join_session_bus(App& app);
void answer_bus_requests(App& app);

// While it lives, Ctrl-C (or a polite kill) sets interrupted() and asks a running
// engine to stop, so that a start still waiting for its first block gives up at once.
class InterruptGuard {
 public:
  explicit InterruptGuard(engine::PlaybackState& playback);
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

  static bool interrupted();
};

// One line on standard error, redrawn in place on a terminal; elsewhere each new
// text is printed once on a line of its own.
class StatusLine {
 public:
  explicit StatusLine(bool terminal) : terminal_(terminal) {}

  bool terminal() const { return terminal_; }
  void show(const std::string& text);
  // Leaves the line, so that what is printed next starts on a line of its own.
  void end();

 private:
  bool terminal_;
  std::string last_;
};

}  // namespace sonvale::shell
