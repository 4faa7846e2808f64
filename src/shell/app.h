#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/playback_state.h"
#include "engine/range_tables.h"
#include "engine/sample_buffers.h"
#include "loading/open_track.h"
#include "loading/play_queue.h"
#include "output/player.h"
#include "output/output_choice.h"
#include "platform/card_reservation.h"
#include "platform/headless_bus.h"
#include "platform/instance_handoff.h"
#include "platform/media_control.h"
#include "platform/ui.h"
#include "playlist/playlist.h"
#include "shell/access_counter.h"
#include "shell/input_mode_state.h"

namespace sonvale::shell {

// Everything the player keeps for the whole run, created at start-up and released
// by the end of the process.
struct App {
  explicit App(platform::Ui& ui)
      : ui(ui),
        playlist(ui, playback.source_rate),
        loader{ui, playlist, playback, play_queue},
        player(ui, buffers, playback, ranges, loader, output) {}

  platform::Ui& ui;
  engine::SampleBuffers buffers;
  engine::PlaybackState playback;
  engine::RangeTables ranges;
  output::OutputChoice output;
  platform::InstanceWindow instance_window;
  // The five pages; their entries share playback.source_rate.
  playlist::Playlist playlist;
  loading::PlayQueue play_queue;
  loading::Loader loader;
  output::Player player;
  // The main window once it is built, 0 before; the hand-off brings it to the front.
  int main_window = 0;
  // 1 until the banner or PLAY is first clicked. Written by the main window, read by
  // the launch counter's thread.
  std::atomic<std::int8_t> banner_flag{1};
  // 1 once the launch counter's picture (image 2) exists. Written by the launch
  // counter's thread, read by the main window.
  std::atomic<std::int8_t> counter_picture_flag{0};
  // 1 while the mini window stands in for the main window. Main thread.
  bool mini_mode = false;
  // The input mode's calibration and clock. Main thread, and the calibration
  // callback while a calibration runs.
  InputModeState input_mode;
  // Qt's core for the session bus when there is no window: made before and gone
  // after what uses the bus. Main thread.
  std::unique_ptr<platform::HeadlessBus> headless_bus;
  // The desktop's media controls and the sound server's cards, when there is a
  // session bus to reach them through. Main thread.
  std::unique_ptr<platform::MediaControl> media;
  std::unique_ptr<platform::CardReservation> card_reservation;
  // Last, so that its thread has ended before anything it uses goes.
  AccessCounter access_counter{ui, banner_flag, counter_picture_flag};
};

}  // namespace sonvale::shell
