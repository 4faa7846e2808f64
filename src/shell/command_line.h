#pragma once

#include <string>
#include <vector>

namespace sonvale::shell {

struct CommandLine {
  enum class Action {
    Windowed,  // the player's window; a first argument goes to the hand-off
    Play,      // terminal playback of the files
    ListDevices,  // print the output devices and leave
    DumpTables,  // write the kernel and filter tables to a folder
    Help,
    Version,
    Invalid,
  };
  Action action = Action::Windowed;
  std::string argument;            // Windowed: the first argument, never a flag
  std::vector<std::string> files;  // Play: the files, in order
  std::string directory;           // DumpTables: where the tables go
  std::string isa;                 // the instruction set forced for the kernels, or empty
  std::string error;               // Invalid: what was wrong
};

// A command line whose first argument is not a flag starts the window with that
// argument; otherwise the flags decide, and every other argument is a file.
CommandLine parse_command_line(int argc, const char* const* argv);

std::string usage_text();

}  // namespace sonvale::shell
