#include "shell/instance_receiver.h"

#include "shell/click_chain.h"

namespace sonvale::shell {

std::uint32_t receive_hand_off(App& app, const platform::CopyData& message) {
  if (message.dw_data == 1 && message.cb_data > 0) {
    // Raised while still in mini mode, the window would take no clicks and the orb
    // would go on following the pointer.
    if (app.mini_mode) leave_mini_mode(app);
    bring_to_front(app.ui, app.main_window);
  }
  return 1;
}

void bring_to_front(platform::Ui& ui, int window) {
  ui.set_foreground_window(window);
  ui.enable_window(window, true);
  ui.show_window(window, ui.is_window_maximized(window) ? platform::ShowCommand::Maximize
                                                        : platform::ShowCommand::Restore);
}

}  // namespace sonvale::shell
