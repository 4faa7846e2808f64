#include "shell/startup.h"

#include <csignal>

#include "engine/kernel_tables.h"
#include "output/device_selection.h"
#include "output/transport.h"
#include "platform/cpu.h"
#include "platform/player_ids.h"
#include "platform/thread.h"
#include "shell/event_loop.h"
#include "shell/instance_receiver.h"
#include "shell/main_window.h"
#include "shell/mini_window.h"

namespace sonvale::shell {
namespace {

void initialise_services() {
  // A peer that goes away mid-write must fail the write, not end the program.
  std::signal(SIGPIPE, SIG_IGN);
}

void create_run_lists(App& app) { app.ranges = engine::RangeTables{}; }

// A second start hands its argument to the running instance and leaves; without an
// argument it leaves the running instance alone.
void hand_over(const StartupOptions& options) {
  if (!options.argument.empty()) platform::send_copy_data(options.instance_title, 1, options.argument);
}

void complete_windowed_start(App& app, const StartupOptions& options) {
  platform::Ui& ui = app.ui;
  build_main_window(ui, [&] { app.access_counter.start(options.counter_address); });
  build_mini_window(ui);
  output::show_output_type(ui, app.output.mode);
  app.main_window = ids::kMainWindow;
  app.instance_window.set_receiver([&app](const platform::CopyData& message) {
    return receive_hand_off(app, message);
  });
  ui.show_window(ids::kMainWindow, platform::ShowCommand::Show);
  if (options.join_desktop) options.join_desktop(app);
}

}  // namespace

StartupOptions default_startup_options() {
  StartupOptions options;
  options.processor_has_sse2 = &platform::cpu_has_sse2;
  options.reserve = &platform::Reservation::reserve_zeroed;
  options.counter_address = default_counter_address();
  return options;
}

StartupOutcome start_up(App& app, const StartupOptions& options) {
  platform::Ui& ui = app.ui;
  app.playback.worker_priority = platform::kPriorityLowest;

  if (!options.processor_has_sse2()) {
    ui.message_box("CPU Error", "This software use SSE2.", platform::kIconError | platform::kSystemModal);
    return StartupOutcome::Exit;
  }

  initialise_services();

  if (app.buffers.reserve(options.reserve).has_value()) {
    ui.message_box("Critical Error", "Failed allocate memory (Required 600 MB)", platform::kIconError);
    return StartupOutcome::Exit;
  }

  create_run_lists(app);
  app.buffers.zero(engine::Buffer::FilterTail);

  if (!options.terminal) {
    if (platform::find_instance_window(options.instance_title)) {
      hand_over(options);
      return StartupOutcome::Exit;
    }
    // Opening can fail when another start took the title a moment ago; the player
    // then simply runs without receiving hand-offs.
    app.instance_window.open(ui, options.instance_title);
  }

  engine::build_kernel_tables(app.buffers, engine::kKernelHalfWidth);
  engine::install_filter_tables(app.buffers);
  if (options.isa) engine::force_isa(*options.isa);
  return StartupOutcome::Continue;
}

int run_windowed(App& app, const StartupOptions& options) {
  if (start_up(app, options) == StartupOutcome::Exit) return take_exit_path(app);
  if (!output::select_output_device(app.ui, app.output)) return take_exit_path(app);
  complete_windowed_start(app, options);
  run_event_loop(app);
  return take_exit_path(app);
}

int take_exit_path(App& app) {
  app.access_counter.stop();
  app.instance_window.close();
  return 0;
}

}  // namespace sonvale::shell
