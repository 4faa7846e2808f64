#pragma once

#include <map>
#include <string>
#include <vector>

namespace sonvale::test {

struct ProcessResult {
  int exit_code = -1;  // -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Runs a program to its end. `environment` adds or replaces variables; an empty
// value removes one.
ProcessResult run_process(const std::vector<std::string>& argv,
                          const std::map<std::string, std::string>& environment = {});

// The player's executable in this build tree.
std::string sonvale_binary();

}  // namespace sonvale::test
