#include "platform/ui.h"

#include "platform/time.h"

namespace sonvale::platform {

bool Ui::cursor_on_gadget(int gadget) const {
  return gadget_exists(gadget) && gadget_screen_rect(gadget).contains(cursor_position());
}

void Ui::drop_pending_events() {
  while (wait_event(0).kind != EventKind::None) sleep_ms(1);
}

bool Ui::cursor_on_window(int window) const {
  return window_exists(window) && window_outer_rect(window).contains(cursor_position());
}

void Ui::toggle_list_item(int gadget, int index) {
  select_list_item(gadget, index, !is_list_item_selected(gadget, index));
}

}  // namespace sonvale::platform
