#include "shell/main_window.h"

#include "platform/player_ids.h"

namespace sonvale::shell {

void build_main_window(platform::Ui& ui) {
  using namespace platform;
  ui.open_window(ids::kMainWindow, Rect{0, 0, 700, 700}, "Sonvale",
                 kWindowInvisible | kWindowCentred | kWindowTitleBar);
  ui.set_window_colour(ids::kMainWindow, rgb(0, 0, 160));
}

void build_mini_window(platform::Ui& ui) {
  using namespace platform;
  ui.open_window(ids::kMiniWindow, Rect{0, 0, 40, 40}, "TaskM",
                 kWindowInvisible | kWindowBorderless | kWindowTool, ids::kMainWindow);
}

}  // namespace sonvale::shell
