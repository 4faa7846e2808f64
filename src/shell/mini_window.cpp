#include "shell/mini_window.h"

#include "platform/player_ids.h"

namespace sonvale::shell {

void build_mini_window(platform::Ui& ui) {
  using namespace platform;
  if (!ui.open_window(ids::kMiniWindow, Rect{0, 0, 40, 40}, "TaskM",
                      kWindowInvisible | kWindowBorderless | kWindowTool, ids::kMainWindow))
    return;
  ui.create_gadget(ids::kMiniWindow, ids::kOrbButton, GadgetKind::ImageButton, Rect{0, 0, 40, 40}, "");
  ui.set_gadget_image(ids::kOrbButton, ids::kOrbImage);
  ui.cut_window_to_image(ids::kMiniWindow, ids::kOrbImage);
}

void follow_pointer(platform::Ui& ui, int window, int gap) {
  const platform::Point p = ui.cursor_position();
  const platform::Rect w = ui.window_rect(window);
  if (p.x < w.x - gap)
    ui.move_window(window, p.x + gap, w.y);
  else if (p.y < w.y - gap)
    ui.move_window(window, w.x, p.y + gap);
  else if (p.x > w.x + w.w + gap)
    ui.move_window(window, p.x - w.w - gap, w.y);
  else if (p.y > w.y + w.h + gap)
    ui.move_window(window, w.x, p.y - w.h - gap);
}

void restore_from_mini_mode(platform::Ui& ui) {
  constexpr int kSide = 700;
  const platform::Rect mini = ui.window_rect(ids::kMiniWindow);
  ui.resize_window(ids::kMainWindow, kSide, kSide);
  // The frame around the client area, from the window as it stands.
  const platform::Rect client = ui.window_rect(ids::kMainWindow);
  const platform::Rect outer = ui.window_outer_rect(ids::kMainWindow);
  const int left = client.x - outer.x;
  const int top = client.y - outer.y;
  const int width = outer.w - client.w + kSide;
  const int height = outer.h - client.h + kSide;

  const platform::Rect desktop = ui.desktop_rect();
  int x = mini.x - kSide / 2 - left;
  int y = mini.y - kSide / 2 - top;
  if (x < desktop.x) x = desktop.x;
  if (x > desktop.right() - width) x = desktop.right() - width;
  if (y < desktop.y) y = desktop.y;
  if (y > desktop.bottom() - height) y = desktop.bottom() - height;
  ui.move_window(ids::kMainWindow, x + left, y + top);
}

}  // namespace sonvale::shell
