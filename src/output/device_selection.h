#pragma once

#include "output/output_choice.h"
#include "platform/ui.h"

namespace sonvale::output {

// Lets the user choose the output device before the main window opens. False when
// the user leaves without choosing: the program then ends.
bool select_output_device(platform::Ui& ui, OutputChoice& choice);

}  // namespace sonvale::output
