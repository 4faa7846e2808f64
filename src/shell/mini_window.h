#pragma once

#include "platform/ui.h"

namespace sonvale::shell {

// Opens the 40 x 40 mini-mode window "TaskM" at (0, 0): borderless, hidden, owned
// by the main window, without a task-bar button, holding the orb as a button and
// cut to the orb's outline.
void build_mini_window(platform::Ui& ui);

// Moves the window so that it trails the pointer: when the pointer is more than
// `gap` pixels left of, above, right of or below it (tested in that order), the
// window comes to within `gap` of it on that side; otherwise it stays.
void follow_pointer(platform::Ui& ui, int window, int gap);

// Places the main window, 700 x 700, centred on the mini window, then moves it back
// inside the desktop's free area where it would stick out, title bar included.
void restore_from_mini_mode(platform::Ui& ui);

}  // namespace sonvale::shell
