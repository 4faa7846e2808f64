#pragma once

namespace sonvale::shell {

// The whole program behind main(): reads the command line and runs the window or
// the terminal mode it asks for. Returns the exit code.
int run_program(int argc, const char* const* argv);

}  // namespace sonvale::shell
