#pragma once

#include "platform/ui.h"

namespace sonvale::shell {

// Starts the once-per-run fetch of the launch-counter picture (image 2), which
// switches the pictures of the banner and the "Launch counter" label when it ends.
// Called while the main window is built, once the panel's working image exists.
void start_access_counter(platform::Ui& ui);

}  // namespace sonvale::shell
