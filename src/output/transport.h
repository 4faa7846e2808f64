#pragma once

#include "platform/ui.h"

namespace sonvale::output {

// Gives PLAY, SKIP, STOP and PAUSE the colour of page n's label (n from 1 to 5), or
// navy for any other n. REPEAT keeps its colour.
void paint_transport_buttons(platform::Ui& ui, int page);

}  // namespace sonvale::output
