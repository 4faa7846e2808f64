#include "shell/event_loop.h"

#include "platform/player_ids.h"

namespace sonvale::shell {

void run_event_loop(App& app) {
  for (;;) {
    const platform::Event event = app.ui.wait_event(90);
    if (event.kind == platform::EventKind::CloseWindow) break;
  }
  app.ui.close_window(ids::kMiniWindow);
  app.ui.close_window(ids::kMainWindow);
}

}  // namespace sonvale::shell
