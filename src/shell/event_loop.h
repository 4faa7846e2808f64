#pragma once

#include "shell/app.h"

namespace sonvale::shell {

// Runs the main window until a close request, then closes it.
void run_event_loop(App& app);

}  // namespace sonvale::shell
