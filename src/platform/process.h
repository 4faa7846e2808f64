#pragma once

#include <string>
#include <vector>

namespace sonvale::platform {

// Runs `command` (its first word looked up on PATH) in `directory`, with standard
// input from /dev/null, and waits for it. Its exit status; -1 when it could not be
// started or did not exit normally.
int run_and_wait(const std::vector<std::string>& command, const std::string& directory);

}  // namespace sonvale::platform
