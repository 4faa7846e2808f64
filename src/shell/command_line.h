#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/sound_mode.h"

namespace sonvale::shell {

struct CommandLine {
  enum class Action {
    Windowed,     // the player's window; a first argument goes to the hand-off
    Play,         // terminal playback of the files
    Render,       // the files rendered into a WAV file as fast as the engine goes
    Live,         // the input mode in the terminal: a recording input played live
    ListDevices,  // print the output devices and leave
    DumpTables,   // write the kernel and filter tables to a folder
    Analyze,      // measure the Sound modes and post filters into a folder
    Help,
    Version,
    Invalid,
  };
  Action action = Action::Windowed;
  std::string argument;            // Windowed: the first argument, never a flag
  std::vector<std::string> files;  // Play, Render: the files, in order
  std::string render_path;         // Render: the WAV file written
  std::optional<engine::SoundMode> mode;  // Play, Render, Analyze, Live: the Sound mode asked for
  std::optional<int> post_filter;         // Play, Render, Analyze: 0 to 3; Live: 0 to 2
  std::string device;              // Play, Live: an output device index or name
  std::string input;               // Live: the recording device and input, "DEVICE[,INPUT]"
  std::string directory;           // DumpTables, Analyze: the folder written
  std::string isa;                 // the instruction set forced for the kernels, or empty
  std::string error;               // Invalid: what was wrong
};

// A command line whose first argument is not a flag starts the window with that
// argument; otherwise the flags decide, and every other argument is a file. Flags
// with a value take it as the next argument or after "=".
CommandLine parse_command_line(int argc, const char* const* argv);

std::string usage_text();

}  // namespace sonvale::shell
