#include "shell/input_mode.h"

namespace sonvale::shell {

// Live input is not offered by this build: the click leaves the window as it was.
void enter_input_mode(App&) {}

}  // namespace sonvale::shell
