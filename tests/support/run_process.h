#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace sonvale::test {

struct ProcessResult {
  int exit_code = -1;  // -1 when it did not exit normally
  int signal = 0;      // the signal that ended it, if one did
  bool timed_out = false;
  std::string out;
  std::string err;
};

// Runs a program to its end. `environment` adds or replaces variables; an empty
// value removes one. A program still running after `time_limit` (when given) is
// killed and counts as hung.
ProcessResult run_process(const std::vector<std::string>& argv,
                          const std::map<std::string, std::string>& environment = {},
                          std::chrono::milliseconds time_limit = {});

// The player's executable in this build tree.
std::string sonvale_binary();

// Nothing that could make Qt find a display.
inline const std::map<std::string, std::string> kNoDisplay{
    {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}};

}  // namespace sonvale::test
