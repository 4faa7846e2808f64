#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "engine/engine_context.h"
#include "engine/engine_thread.h"
#include "engine/playback_state.h"
#include "engine/range_tables.h"
#include "engine/sample_buffers.h"
#include "engine/worker_pool.h"
#include "loading/open_track.h"
#include "output/feed.h"
#include "output/output_choice.h"
#include "platform/card_reservation.h"
#include "platform/thread.h"
#include "platform/ui.h"

namespace sonvale::output {

// Everything starting, feeding, pausing and stopping playback works with. Lives for
// the whole run; used on the main thread, except the feed (device thread) and the
// engine context and track source (engine thread).
class Player {
 public:
  Player(platform::Ui& ui, engine::SampleBuffers& buffers, engine::PlaybackState& playback,
         engine::RangeTables& ranges, loading::Loader& loader, OutputChoice& output);

  platform::Ui& ui;
  engine::SampleBuffers& buffers;
  engine::PlaybackState& playback;
  engine::RangeTables& ranges;
  loading::Loader& loader;
  OutputChoice& output;

  // Linear output gain, 0.0 to 1.0, kept across playbacks. Main thread.
  float volume = 1.0f;
  // The device callback's view of the output buffers and the play queue.
  Feed feed;
  // From the device's start to Stop playback. Main thread.
  bool device_started = false;
  // Borrows the card from the sound server for each playback; none without a
  // session bus. Main thread.
  platform::CardReservation* card_reservation = nullptr;
  // The card the chosen device plays to, if any; a test stands in for the machine.
  std::function<std::optional<int>(const OutputChoice&)> card_of;

  // One worker pool per playback: a thread's priority, once lowered, cannot be
  // raised again without privileges. Made by Start playback, with the context the
  // engine thread computes in.
  std::unique_ptr<engine::WorkerPool> pool;
  std::optional<engine::EngineContext> engine;
  engine::TrackSource tracks;
  platform::Thread engine_thread;

  // Gives the next playback a fresh worker pool and a context over the sample buffers.
  void prepare_engine();
};

}  // namespace sonvale::output
