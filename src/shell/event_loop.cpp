#include "shell/event_loop.h"

#include "audiolib/bass.h"
#include "engine/sound_mode.h"
#include "loading/draw_track_time.h"
#include "output/mode_selection.h"
#include "output/stop_playback.h"
#include "platform/cpu.h"
#include "platform/player_ids.h"
#include "playlist/add_tracks.h"
#include "shell/click_chain.h"
#include "shell/input_mode.h"
#include "shell/main_window.h"
#include "shell/media_requests.h"
#include "shell/mini_window.h"

namespace sonvale::shell {
namespace {

constexpr int kWaitMs = 90;
constexpr int kMiniModeWaitMs = 1;
constexpr int kPassesPerRecount = 300;
constexpr int kOrbGap = 40;

bool playing(const App& app) { return app.loader.playing_page.load() != 0; }

void recount_processors(App& app) {
  app.playback.processor_count = static_cast<std::int8_t>(platform::count_processors());
}

// Playback that ran out, or whose device went away, is brought back to idle.
void check_end_of_playback(App& app) {
  if (output::playback_has_ended(app.player)) {
    output::finish_playback(app.player, 1000);
  } else if (output::output_was_lost(app.player)) {
    output::finish_playback(app.player, 0);
  }
}

// False when the window was closed in the input mode.
bool right_click(App& app) {
  if (!app.ui.cursor_on_window(ids::kMainWindow) || !app.ui.cursor_on_gadget(ids::kLogo) || playing(app)) return true;
  if (app.playback.post_filter.load() == engine::kPostFilterHamming2047)
    output::show_post_filter(app.ui, app.playback, engine::kPostFilterBlackman255);
  return enter_input_mode(app);
}

}  // namespace

void prepare_event_loop(App& app) {
  platform::Ui& ui = app.ui;
  app.banner_flag = 1;
  audiolib::BASS_Init(0, 48000, 0, nullptr, nullptr);
  ui.accept_drops(ids::kMainWindow, true);
  app.playlist.set_visible_page(1);
  show_page(ui, 1);
  recount_processors(app);
  output::show_sound_mode(ui, app.playback, engine::SoundMode::Red1);
  output::show_post_filter(ui, app.playback, engine::kPostFilterHamming255);
  app.player.volume = 1.0f;
}

bool event_loop_pass(App& app, int& pass_counter) {
  platform::Ui& ui = app.ui;
  if (playing(app)) loading::draw_track_time(ui, app.play_queue, app.playback.source_rate.load());
  publish_media_state(app);
  if (++pass_counter > kPassesPerRecount) {
    pass_counter = 0;
    recount_processors(app);
  }

  if (app.mini_mode) {
    follow_pointer(ui, ids::kMiniWindow, kOrbGap);
    const platform::Event event = ui.wait_event(kMiniModeWaitMs);
    if (event.kind == platform::EventKind::Gadget && event.gadget == ids::kOrbButton) leave_mini_mode(app);
    // The media keys work on; whatever else came, a close request included, is let go
    // in mini mode.
    if (event.kind == platform::EventKind::MediaRequest) run_media_request(app, event);
    check_end_of_playback(app);
    return true;
  }

  const platform::Event event = ui.wait_event(kWaitMs);
  switch (event.kind) {
    case platform::EventKind::LeftButtonDown:
      if (ui.cursor_on_window(ids::kMainWindow)) run_click_chain(app);
      break;
    case platform::EventKind::RightButtonDown:
      if (!right_click(app)) return false;
      break;
    case platform::EventKind::FilesDropped:
      playlist::add_dropped_files(app.playlist, event.files);
      break;
    case platform::EventKind::Gadget:
      break;
    case platform::EventKind::MediaRequest:
      if (!run_media_request(app, event)) return false;
      break;
    default:
      check_end_of_playback(app);
      break;
  }
  return event.kind != platform::EventKind::CloseWindow;
}

void run_event_loop(App& app) {
  prepare_event_loop(app);
  int pass_counter = 0;
  while (event_loop_pass(app, pass_counter)) {
  }
  output::stop_playback(app.player, 0);
  app.ui.close_window(ids::kMiniWindow);
  app.ui.close_window(ids::kMainWindow);
  audiolib::BASS_Free();
}

}  // namespace sonvale::shell
