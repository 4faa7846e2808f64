#pragma once

#include "shell/app.h"

namespace sonvale::shell {

// The live input mode, entered by a right click on the logo while nothing plays:
// the main window becomes a live processor of a recording input. The user picks a
// recording device and input, calibrates the input level ("Adjust"), then plays the
// input live through the chosen Sound mode to the output device. Returns when the
// user leaves the mode the way he came, true; false when he closed the window in the
// mode, which ends the program.
bool enter_input_mode(App& app);

}  // namespace sonvale::shell
