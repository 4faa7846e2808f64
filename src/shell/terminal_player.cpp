#include "shell/terminal_player.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <utility>

#include "audiolib/asio.h"
#include "audiolib/bass.h"
#include "audiolib/device_catalog.h"
#include "loading/track_time.h"
#include "output/mode_selection.h"
#include "output/start_playback.h"
#include "output/stop_playback.h"
#include "platform/files.h"
#include "platform/ui_headless.h"
#include "playlist/add_tracks.h"
#include "shell/device_arguments.h"
#include "shell/startup.h"
#include "shell/terminal_io.h"
#include "shell/terminal_messages.h"

namespace sonvale::shell {
namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Adds the files (`typed`, made absolute in `paths`) to page 1 one by one, telling
// which were left out and why.
void add_files(App& app, const std::vector<std::string>& typed, const std::vector<std::string>& paths) {
  app.playlist.set_visible_page(1);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const std::size_t before = app.playlist.size(1);
    const std::int32_t rate = app.playback.source_rate.load();
    playlist::add_dropped_files(app.playlist, {paths[i]});
    if (app.playlist.size(1) == before)
      std::cerr << "sonvale: left out " << typed[i] << ": " << refusal_reason(paths[i], rate) << "\n";
  }
}

std::string progress_bar(int width_of_525, int cells) {
  const int filled = width_of_525 * cells / loading::kProgressBarWidth;
  return "[" + std::string(static_cast<std::size_t>(filled), '#') +
         std::string(static_cast<std::size_t>(cells - filled), '.') + "]";
}

// The track heard, its times and a progress bar; without a terminal, each track once.
void show_now_playing(StatusLine& line, const App& app) {
  const auto t = loading::track_time(app.play_queue, app.playback.source_rate.load());
  if (!t) return;
  std::string text = t->line1 + " / " + t->line2;
  if (line.terminal())
    text += "  " + loading::format_clock(t->elapsed_seconds) + " / " + loading::format_clock(t->total_seconds) +
            "  " + progress_bar(t->bar_width, 30);
  line.show(text);
}

}  // namespace

int run_terminal_player(const TerminalRequest& request, StartupOptions options) {
  platform::HeadlessUi ui(&std::cerr);
  ui.set_message_note(message_note);
  App app(ui);
  if (!start_headless_player(app, std::move(options))) return take_exit_path(app);

  const engine::SoundModeInfo& mode = engine::info_of(request.mode);
  const bool needs_threads = mode.mode == engine::SoundMode::Brown2 || mode.mode == engine::SoundMode::White2 ||
                             mode.mode == engine::SoundMode::Brown4 || mode.mode == engine::SoundMode::White4 ||
                             request.post_filter == 3;
  if (needs_threads && app.playback.processor_count.load() < 2) {
    std::cerr << "sonvale: " << mode.label << " and LPF brown need at least two processors\n";
    return 1;
  }

  // Typed names are the user's, not a folder's: a leading "./" is not a hidden name.
  std::vector<std::string> paths;
  for (const std::string& file : request.files) paths.push_back(platform::absolute_path(file));
  if (request.render_path) {
    if (const auto problem = render_target_problem(*request.render_path, paths)) {
      std::cerr << "sonvale: " << *problem << "\n";
      return 1;
    }
  }

  const std::optional<int> device =
      request.render_path ? std::optional<int>(audiolib::asio_add_render_driver(*request.render_path))
                          : find_output_device(request.device);
  if (!device || *device < 0) {
    std::cerr << "sonvale: no output device " << (request.render_path ? *request.render_path : request.device)
              << " (see --list-devices)\n";
    return 1;
  }
  if (!request.render_path) {
    tell_if_unheard(*device, request.device);
    join_session_bus(app);
  }
  app.output.mode = output::kOutputAsio;
  app.output.asio_device = *device;
  app.player.feed.count_delivered = request.render_path.has_value();

  add_files(app, request.files, paths);
  if (app.playlist.size(1) == 0) {
    std::cerr << "sonvale: nothing to play\n";
    return 1;
  }
  if (const auto problem = mode_problem(mode, app.playback.source_rate.load())) {
    std::cerr << "sonvale: " << *problem << "\n";
    return 1;
  }
  output::show_sound_mode(ui, app.playback, request.mode);
  output::show_post_filter(ui, app.playback, request.mode == engine::SoundMode::Green1 ? 0 : request.post_filter);

  InterruptGuard interrupts(app.playback);
  StatusLine line(isatty(STDERR_FILENO) != 0);
  line.show("preparing the first block...");
  const Clock::time_point play = Clock::now();
  const std::size_t boxes_before = ui.message_boxes().size();
  output::start_playback(app.player, 0);
  const double first_block = seconds_since(play);
  if (!app.player.device_started) {
    line.end();
    if (InterruptGuard::interrupted()) {
      std::cerr << "sonvale: stopped\n";
      return 0;
    }
    std::cerr << "sonvale: playback could not start: " << start_failure(ui, boxes_before, app.player) << "\n";
    return 1;
  }

  // A render ends as soon as the engine is done: its end is looked for more often
  // than a listener would notice.
  const int poll_ms = request.render_path ? 5 : 100;
  int code = 0;
  for (;;) {
    ui.wait_event(poll_ms);
    answer_bus_requests(app);
    show_now_playing(line, app);
    if (InterruptGuard::interrupted()) {
      output::stop_playback(app.player, 0);
      code = request.render_path ? 1 : 0;
      break;
    }
    if (output::output_was_lost(app.player)) {
      output::stop_playback(app.player, 0);
      line.end();
      std::cerr << "sonvale: the output device went away: " << output::output_failure(app.player) << "\n";
      return 1;
    }
    if (output::playback_has_ended(app.player)) {
      output::finish_playback(app.player, request.render_path ? 0 : 1000);
      break;
    }
  }
  line.end();
  if (request.render_path) {
    const double total = seconds_since(play);
    const double audio = static_cast<double>(app.player.feed.delivered.load()) / 8.0 /
                         static_cast<double>(app.playback.source_rate.load() * mode.multiplier);
    std::fprintf(stderr, "first block after %.3f s; %.3f s of audio in %.3f s (%.2fx real time)\n", first_block,
                 audio, total, total > 0 ? audio / total : 0.0);
  }
  audiolib::BASS_Free();
  take_exit_path(app);
  return code;
}

}  // namespace sonvale::shell
