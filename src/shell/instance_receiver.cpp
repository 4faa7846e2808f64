#include "shell/instance_receiver.h"

namespace sonvale::shell {

std::uint32_t receive_hand_off(platform::Ui& ui, int main_window,
                               const platform::CopyData& message) {
  if (message.dw_data == 1 && message.cb_data > 0) bring_to_front(ui, main_window);
  return 1;
}

void bring_to_front(platform::Ui& ui, int window) {
  ui.set_foreground_window(window);
  ui.enable_window(window, true);
  ui.show_window(window, ui.is_window_maximized(window) ? platform::ShowCommand::Maximize
                                                        : platform::ShowCommand::Restore);
}

}  // namespace sonvale::shell
