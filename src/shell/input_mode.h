#pragma once

#include "shell/app.h"

namespace sonvale::shell {

// The live input mode, entered by a right click on the logo while nothing plays:
// the main window becomes a live processor of a recording input. Returns when the
// user leaves it.
void enter_input_mode(App& app);

}  // namespace sonvale::shell
