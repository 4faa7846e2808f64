#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/cancel_signal.h"
#include "platform/thread.h"
#include "platform/ui.h"

namespace sonvale::shell {

// The counter script's address on a server given as host or host:port; empty for an
// empty host.
std::string counter_address(std::string_view host);

// The address on the server the program was built for (SONVALE_COUNTER_HOST).
std::string default_counter_address();

// The once-per-run fetch of the launch counter's picture (image 2). A thread of its own
// fetches it and, when it ends, switches the banner and the "Launch counter" label;
// nothing else in the player waits for it or depends on how it went.
class AccessCounter {
 public:
  // banner_flag: 1 until the banner or PLAY is first clicked; written by the main
  // thread, read here. picture_flag: 1 once image 2 holds the picture; written here,
  // read by the main thread.
  AccessCounter(platform::Ui& ui, const std::atomic<std::int8_t>& banner_flag,
                std::atomic<std::int8_t>& picture_flag);
  ~AccessCounter();
  AccessCounter(const AccessCounter&) = delete;
  AccessCounter& operator=(const AccessCounter&) = delete;

  // Starts the one attempt. Without an address no thread runs: the label turns to
  // "isolated" at once. Later calls do nothing.
  void start(const std::string& address);
  bool running() const { return thread_.is_running(); }
  // Gives the attempt up and waits for its thread, taking window events meanwhile, as
  // its last picture switch may be waiting for the main thread. Main thread only.
  void stop();

 private:
  void run(const std::string& address);
  void show_picture_or_panel(bool caught);

  platform::Ui& ui_;
  const std::atomic<std::int8_t>& banner_flag_;
  std::atomic<std::int8_t>& picture_flag_;
  platform::CancelSignal cancel_;
  platform::Thread thread_;
  bool started_ = false;  // main thread
};

}  // namespace sonvale::shell
