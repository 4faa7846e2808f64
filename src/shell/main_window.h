#pragma once

#include <functional>

#include "platform/ui.h"

namespace sonvale::shell {

// Opens the 700 x 700 main window "Sonvale", hidden until start-up shows it, with
// the skin's pictures and every gadget. `start_counter`, when given, starts the launch
// counter's fetch once the pictures it switches exist. The interface fonts must exist.
void build_main_window(platform::Ui& ui, const std::function<void()>& start_counter = {});

// Shows page n's list (1 to 5) and hides the other four; any other n does nothing.
void show_page(platform::Ui& ui, int page);

}  // namespace sonvale::shell
