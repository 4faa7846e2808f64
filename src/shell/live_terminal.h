#pragma once

#include <string>

#include "engine/sound_mode.h"
#include "shell/startup.h"

namespace sonvale::shell {

struct LiveRequest {
  // The recording device and input, "DEVICE[,INPUT]"; the Test loop when empty.
  std::string input;
  // One of the modes the live engine computes.
  engine::SoundMode mode = engine::SoundMode::Red1;
  int post_filter = 1;  // 0, 1 or 2
  // The output device: an index or a name of the ASIO-path list; the first when empty.
  std::string device;
};

// The input mode without a window: the real start-up on the headless backend, then
// Adjust on the input (the test tone looping through the system sound output), then
// PLAY: the input through the live engine to the output device until Ctrl-C, with
// the capture fill and the input level on one refreshing line. Returns the exit
// code: 0 after Ctrl-C, non-zero with a message when the input cannot be calibrated
// or played, or a device goes away.
int run_live_terminal(const LiveRequest& request, StartupOptions options);

}  // namespace sonvale::shell
