#pragma once

#include <string>
#include <string_view>

namespace sonvale::platform {

// What the environment says about the desktop's display servers.
struct DisplayEnvironment {
  std::string qt_platform;      // QT_QPA_PLATFORM
  std::string wayland_display;  // WAYLAND_DISPLAY
  std::string x_display;        // DISPLAY

  static DisplayEnvironment current();
};

// The Qt platform plugins to try, in order, or empty to leave the choice to Qt (the
// user named one, or there is no Wayland). Beside Wayland, an X server is preferred:
// a Wayland client may neither place its windows nor read the pointer outside them,
// and the player does both. Should the X server not answer, Qt goes on to Wayland.
std::string preferred_qt_platforms(const DisplayEnvironment& environment);

// What the player cannot do on the Qt platform of this name, to tell the user at
// start; empty when nothing is lost.
std::string platform_shortcomings(std::string_view platform_name);

}  // namespace sonvale::platform
