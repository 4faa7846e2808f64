#pragma once

#include "platform/ui.h"

namespace sonvale::shell {

// Opens the 700 x 700 main window "Sonvale", hidden until start-up shows it.
void build_main_window(platform::Ui& ui);

// Opens the small mini-mode window "TaskM", hidden, owned by the main window.
void build_mini_window(platform::Ui& ui);

}  // namespace sonvale::shell
