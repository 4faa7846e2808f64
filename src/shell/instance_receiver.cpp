#include "shell/instance_receiver.h"

namespace sonvale::shell {

std::uint32_t receive_hand_off(platform::Ui& ui, int main_window,
                               const platform::CopyData& message) {
  if (message.dw_data == 1 && message.cb_data > 0) {
    ui.set_foreground_window(main_window);
    ui.enable_window(main_window, true);
    ui.show_window(main_window, ui.is_window_maximized(main_window)
                                    ? platform::ShowCommand::Maximize
                                    : platform::ShowCommand::Restore);
  }
  return 1;
}

}  // namespace sonvale::shell
