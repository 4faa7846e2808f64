#include "platform/qt_platform_choice.h"

#include <cstdlib>

namespace sonvale::platform {
namespace {

std::string variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

DisplayEnvironment DisplayEnvironment::current() {
  return {variable("QT_QPA_PLATFORM"), variable("WAYLAND_DISPLAY"), variable("DISPLAY")};
}

std::string preferred_qt_platforms(const DisplayEnvironment& environment) {
  if (!environment.qt_platform.empty() || environment.wayland_display.empty() ||
      environment.x_display.empty())
    return {};
  return "xcb;wayland";
}

std::string platform_shortcomings(std::string_view platform_name) {
  if (!platform_name.starts_with("wayland")) return {};
  return "the windows run on Wayland, which lets them neither be placed nor see the pointer "
         "outside them: the mini-mode orb stays where it is instead of following the pointer, "
         "the main window does not come back centred on the orb, and it is not moved along "
         "with the folder picker or the settings window. On an X server (XWayland) they can.";
}

}  // namespace sonvale::platform
