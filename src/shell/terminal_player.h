#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/sound_mode.h"
#include "shell/startup.h"

namespace sonvale::shell {

struct TerminalRequest {
  std::vector<std::string> files;
  // Render into this WAV file as fast as the engine goes, instead of playing.
  std::optional<std::string> render_path;
  engine::SoundMode mode = engine::SoundMode::Red1;
  int post_filter = 1;
  // The output device: an index or a name of the ASIO-path list; the first when empty.
  std::string device;
};

// Plays (or renders) the files without a window: the real start-up on the headless
// backend, the files added to page 1, PLAY, a now-playing line while it plays, and a
// clean stop at the end or on Ctrl-C. Returns the exit code: 0 when something
// played, non-zero with a message when nothing could.
int run_terminal_player(const TerminalRequest& request, StartupOptions options);

}  // namespace sonvale::shell
