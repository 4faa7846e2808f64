#pragma once

#include "platform/media_control.h"
#include "platform/ui.h"
#include "shell/app.h"

namespace sonvale::shell {

// A request from the desktop's media controls runs the command of the button it
// stands for, on that button's condition: Play is PLAY while idle and PAUSE while
// paused, Pause is PAUSE while playing, PlayPause is whichever applies, Stop is
// STOP, Next is SKIP while a track plays, a volume is the volume step's label. Where
// the PAUSE button is not shown, nothing pauses. Raise brings the main window back
// (out of mini mode); Quit is a close request, let go in mini mode as one is. False
// when the request ends the loop.
bool run_media_request(App& app, const platform::Event& event);

// The player as the media controls show it: the playing state, the track heard (the
// now-playing panel's lines), the volume step, what the buttons would do now.
platform::MediaState media_state(const App& app);

// Tells the media controls, when the player has them, how the player stands.
void publish_media_state(App& app);

}  // namespace sonvale::shell
