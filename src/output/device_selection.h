#pragma once

#include "output/device_calls.h"
#include "output/output_choice.h"
#include "platform/ui.h"

namespace sonvale::output {

// Lets the user choose the output device before the main window opens: one button
// for each ASIO driver and each usable WASAPI device. Creates the interface fonts
// first. False when the user leaves without choosing (X, or closing the window) or
// when there is no device at all (after saying so): the program then ends.
bool select_output_device(platform::Ui& ui, OutputChoice& choice);
bool select_output_device(platform::Ui& ui, OutputChoice& choice, const DeviceCalls& calls);

}  // namespace sonvale::output
