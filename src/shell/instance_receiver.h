#pragma once

#include <cstdint>

#include "platform/instance_handoff.h"
#include "shell/app.h"

namespace sonvale::shell {

// What the running instance does with a hand-off: a message with dwData 1 and data
// brings the main window to the front, keeping it maximised if it was; in mini mode
// the orb gives way to it first, as its own click would. The text itself is not
// used. Every message is answered with 1.
std::uint32_t receive_hand_off(App& app, const platform::CopyData& message);

// Brings the window to the front, enabled, kept maximised if it was.
void bring_to_front(platform::Ui& ui, int window);

}  // namespace sonvale::shell
