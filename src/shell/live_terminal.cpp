#include "shell/live_terminal.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <iostream>
#include <thread>
#include <utility>

#include "audiolib/asio.h"
#include "audiolib/bass.h"
#include "audiolib/record.h"
#include "engine/capture_buffer.h"
#include "output/calibration.h"
#include "output/live_capture.h"
#include "output/mode_selection.h"
#include "output/start_live_output.h"
#include "output/stop_playback.h"
#include "platform/time.h"
#include "platform/ui_headless.h"
#include "shell/device_arguments.h"
#include "shell/terminal_io.h"
#include "shell/terminal_messages.h"

namespace sonvale::shell {
namespace {

constexpr int kCalibrationLookMs = 100;
constexpr int kStatusMs = 250;

std::string level_text(float level) {
  char text[16];
  std::snprintf(text, sizeof text, "%.2f", static_cast<double>(level));
  return text;
}

// The live run's line: how full the capture buffer is, and the input level. Off a
// terminal in steps of a tenth, so that it is printed now and then rather than
// constantly.
std::string live_status(const App& app, bool terminal) {
  const int bar = engine::capture_bar_value(app.playback.capture_fill.load());
  int percent = bar * 100 / engine::kCaptureBarRange;
  if (!terminal) percent -= percent % 10;
  const bool playing = app.playback.first_fill_count.load() != 0;
  return std::string(playing ? "live" : "capturing the first block") + ": capture " + std::to_string(percent) +
         "%, input level " + level_text(app.input_mode.calibration.input_volume.load());
}

// Prints the live run's line until told to stop.
class StatusPrinter {
 public:
  StatusPrinter(const App& app, StatusLine& line)
      : thread_([this, &app, &line] {
          while (!done_.load()) {
            line.show(live_status(app, line.terminal()));
            platform::sleep_ms(kStatusMs);
          }
        }) {}
  ~StatusPrinter() { stop(); }
  void stop() {
    done_ = true;
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::atomic<bool> done_{false};
  std::thread thread_;
};

int leave(App& app, int code) {
  output::free_test_tone();
  audiolib::BASS_Free();
  take_exit_path(app);
  return code;
}

}  // namespace

int run_live_terminal(const LiveRequest& request, StartupOptions options) {
  platform::HeadlessUi ui(&std::cerr);
  ui.set_message_note(message_note);
  App app(ui);
  if (!start_headless_player(app, std::move(options))) return take_exit_path(app);

  const std::optional<int> device = find_output_device(request.device);
  if (!device) {
    std::cerr << "sonvale: no output device " << request.device << " (see --list-devices)\n";
    return leave(app, 1);
  }
  app.output.mode = output::kOutputAsio;
  app.output.asio_device = *device;
  std::string error;
  const std::optional<RecordingInput> input = find_recording_input(request.input, error);
  if (!input) {
    std::cerr << "sonvale: " << error << "\n";
    return leave(app, 1);
  }
  tell_if_unheard(*device, request.device);
  join_session_bus(app);

  app.playback.source_rate = 44100;
  output::show_sound_mode(ui, app.playback, request.mode);
  output::show_post_filter(ui, app.playback, request.post_filter);
  output::load_test_tone();

  InterruptGuard interrupts(app.playback);
  StatusLine line(isatty(STDERR_FILENO) != 0);
  output::Calibration& calibration = app.input_mode.calibration;
  const bool recorded = output::calibrate(calibration, input->device, input->input, [&] {
    platform::sleep_ms(kCalibrationLookMs);
    line.show("calibrating: input level " + level_text(calibration.input_volume.load()) + ", highest peak " +
              level_text(calibration.highest_peak.load()));
    return !InterruptGuard::interrupted();
  });
  line.end();
  if (!recorded) {
    std::cerr << "sonvale: the input does not record: " << audiolib::record_last_error() << "\n";
    return leave(app, 1);
  }
  if (InterruptGuard::interrupted()) {
    std::cerr << "sonvale: stopped\n";
    return leave(app, 0);
  }
  const float volume = calibration.input_volume.load();
  if (!(volume > 0.0f)) {
    std::cerr << "sonvale: the input clips even at its lowest level\n";
    return leave(app, 1);
  }
  std::cerr << "input level " << level_text(volume) << "; the first block is captured in about 68 s\n";

  if (!output::start_capture(app.player, input->device, input->input, volume)) {
    std::cerr << "sonvale: the input does not record: " << audiolib::record_last_error() << "\n";
    return leave(app, 1);
  }
  StatusPrinter status(app, line);
  output::start_live_output(app.player);
  int code = 0;
  std::string ending = "stopped";
  if (!app.player.device_started) {
    if (!InterruptGuard::interrupted()) {
      code = 1;
      ending = output::capture_was_lost() ? "the input went away: " + audiolib::record_last_error()
                                          : "the output could not start: " + audiolib::asio_last_error();
    }
  } else {
    for (;;) {
      ui.wait_event(100);
      answer_bus_requests(app);
      if (InterruptGuard::interrupted()) break;
      if (output::output_was_lost(app.player)) {
        code = 1;
        ending = "the output device went away: " + output::output_failure(app.player);
        break;
      }
      if (output::capture_was_lost()) {
        code = 1;
        ending = "the input went away: " + audiolib::record_last_error();
        break;
      }
    }
  }
  status.stop();
  line.end();
  output::stop_live_run(app.player);
  std::cerr << "sonvale: " << ending << "\n";
  return leave(app, code);
}

}  // namespace sonvale::shell
