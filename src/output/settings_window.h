#pragma once

#include "output/device_calls.h"
#include "output/output_choice.h"
#include "platform/ui.h"

namespace sonvale::output {

// The "Audio setting and etc" window over the main window: rescanning the devices,
// choosing another output device for the next start, the ASIO driver's control
// panel, the links and a short manual. Runs until Exit; moving it moves the main
// window along.
void open_settings_window(platform::Ui& ui, OutputChoice& choice);
void open_settings_window(platform::Ui& ui, OutputChoice& choice, const DeviceCalls& calls);

// The settings window's commands on its own gadgets and the main window's.
// Refills the ASIO and WASAPI lists from a fresh scan of the devices, selecting the
// chosen ones.
void device_all_scan(platform::Ui& ui, OutputChoice& choice, const DeviceCalls& calls);
// Takes the ticked path's list choice as the output device and shows its type on the
// main window (PAUSE only for ASIO).
void apply_device_choice(platform::Ui& ui, OutputChoice& choice, const DeviceCalls& calls);
// Opens the chosen ASIO driver's own control panel, when the driver can be opened.
void open_asio_control_panel(const OutputChoice& choice, const DeviceCalls& calls);

}  // namespace sonvale::output
