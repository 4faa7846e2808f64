#include "platform/qt_platform_choice.h"

#include <gtest/gtest.h>

namespace sonvale::platform {
namespace {

TEST(QtPlatformChoice, AnXServerBesideWaylandComesFirst) {
  EXPECT_EQ(preferred_qt_platforms({"", "wayland-0", ":0"}), "xcb;wayland");
  // The user's own choice stands, and without Wayland Qt's choice does.
  EXPECT_EQ(preferred_qt_platforms({"wayland", "wayland-0", ":0"}), "");
  EXPECT_EQ(preferred_qt_platforms({"offscreen", "", ""}), "");
  EXPECT_EQ(preferred_qt_platforms({"", "", ":0"}), "");
  // Wayland alone: nothing else to ask for.
  EXPECT_EQ(preferred_qt_platforms({"", "wayland-0", ""}), "");
}

TEST(QtPlatformChoice, OnWaylandTheUserHearsWhatTheWindowsCannotDo) {
  for (const char* name : {"wayland", "wayland-egl"}) {
    const std::string said = platform_shortcomings(name);
    EXPECT_NE(said.find("orb"), std::string::npos) << said;
    EXPECT_NE(said.find("folder picker"), std::string::npos) << said;
  }
  for (const char* name : {"xcb", "offscreen", ""}) EXPECT_EQ(platform_shortcomings(name), "") << name;
}

}  // namespace
}  // namespace sonvale::platform
