#include "platform/ui.h"

namespace sonvale::platform {

bool Ui::cursor_on_gadget(int gadget) const {
  return gadget_exists(gadget) && gadget_screen_rect(gadget).contains(cursor_position());
}

bool Ui::cursor_on_window(int window) const {
  return window_exists(window) && window_outer_rect(window).contains(cursor_position());
}

}  // namespace sonvale::platform
