#include "output/start_playback.h"

#include <string>

#include "audiolib/asio.h"
#include "audiolib/bass.h"
#include "audiolib/wasapi.h"
#include "engine/sound_mode.h"
#include "loading/next_track.h"
#include "output/card_borrowing.h"
#include "output/device_start.h"
#include "output/mode_selection.h"
#include "output/rate_negotiation.h"
#include "output/stop_playback.h"
#include "output/transport.h"
#include "platform/player_ids.h"
#include "platform/time.h"

namespace sonvale::output {
namespace {

using namespace audiolib;

// The rate the device is asked for, or nothing when the start is refused.
std::optional<Rate> negotiate_rate(Player& p) {
  const std::int32_t source_rate = p.playback.source_rate.load();
  const std::optional<std::int8_t> multiplier = selected_multiplier(p.ui);
  const std::int64_t rate = std::int64_t{source_rate} * multiplier.value_or(0);
  if (!multiplier || (*multiplier > 1 && rate > kHighestUpsampledRate)) {
    BASS_StreamFree(p.playback.current_decoder.load());
    show_rate(p.ui, "Reject");
    failure_reset(p);
    p.loader.playlist.clear_played_marks();
    return std::nullopt;
  }
  show_rate(p.ui, std::to_string(rate));
  if (*multiplier == 1 && plain_playback_selected(p.ui)) show_post_filter(p.ui, p.playback, engine::kPostFilterOff);
  return Rate{*multiplier, static_cast<std::int32_t>(rate)};
}

void device_failure(Player& p, std::int32_t rate) {
  report_device_failure(p, rate);
  failure_reset(p);
  p.loader.playlist.clear_played_marks();
}

// Waits for the engine's first block, keeping the windows alive and the PLAY button
// flashing every 100 ms. The block is looked for more often than that, so that the
// sound starts as soon as it is there. False when the engine ended without one (a
// track that decodes to nothing, or a stop).
bool prime(Player& p) {
  constexpr int kLookMs = 5;
  constexpr int kFlashMs = 100;
  ButtonFlash flash(150);
  for (int waited = 0; p.playback.first_fill_count.load(std::memory_order_acquire) == 0; waited += kLookMs) {
    if (!p.engine_thread.is_running()) return p.playback.first_fill_count.load() != 0;
    p.ui.drop_pending_events();
    platform::sleep_ms(kLookMs);
    if (waited % kFlashMs == 0)
      p.ui.set_gadget_text_colour(ids::kPlayButton, flash.next());
  }
  return true;
}

// The engine ended without a block (a track that decodes to nothing, a stop): the
// start is undone as a stop would, and reported like a start without a track.
void priming_failure(Player& p) {
  stop_playback(p, 1);
  if (p.output.mode == kOutputAsio)
    BASS_ASIO_Free();
  else
    BASS_WASAPI_Free();
  p.ui.set_gadget_text_colour(ids::kPlayButton, platform::kWhite);
  show_rate(p.ui, "Crush");
  failure_reset(p);
}

}  // namespace

void failure_reset(Player& p) {
  return_card(p);
  // The track opened for the start is not heard: its record would hold the panel one
  // track behind through the next playback.
  p.loader.queue.clear();
  p.playback.output_rate = 0;
  p.playback.engine_run_state = engine::kEngineIdle;
  p.playback.first_fill_count = 0;
  p.loader.playing_page = 0;
  paint_transport_buttons(p.ui, 0);
}

void start_playback(Player& p, int keep_marks) {
  p.ui.set_gadget_text(ids::kPauseButton, "PAUSE");
  p.playback.rate_multiplier = 0;
  p.playback.output_rate = 0;
  const bool asio = p.output.mode == kOutputAsio;
  if (!asio && p.output.mode != kOutputWasapi) return;

  if (asio) {
    BASS_ASIO_ChannelSetVolume(false, -1, 0.0f);
    BASS_ASIO_Free();
  }
  BASS_Free();
  if (keep_marks == 0) p.loader.playlist.clear_played_marks();
  BASS_Init(0, static_cast<std::uint32_t>(p.playback.source_rate.load()), 0, nullptr, nullptr);
  paint_transport_buttons(p.ui, p.loader.playlist.visible_page());

  // The previous playback's stop request would cut short the opening of this one's
  // first track.
  p.playback.stop_request = 0;
  loading::next_track_selection(p.loader);
  if (p.playback.current_decoder.load() == 0) {
    show_rate(p.ui, "Crush");
    failure_reset(p);
    return;
  }

  const std::optional<Rate> rate = negotiate_rate(p);
  if (!rate) return;
  p.playback.rate_multiplier = rate->multiplier;
  p.playback.output_rate = rate->output_rate;

  p.playback.engine_run_state = engine::kEngineRunning;
  p.playback.fill_selector = 1;
  if (!open_device(p, rate->output_rate, false)) {
    device_failure(p, rate->output_rate);
    return;
  }

  p.engine_thread.wait();  // the previous playback's engine, long ended
  engine::empty_output_buffers(p.playback);
  p.prepare_engine();
  // Set before the engine exists: it starts its first block at once, and workers
  // made at the lowest priority would prime at the pace of whatever else runs.
  p.playback.worker_priority = platform::kPriorityNormal;
  p.engine_thread.start([&p](std::intptr_t) { return engine::run_engine_thread(*p.engine, p.buffers, p.tracks); },
                        0, platform::kPriorityNormal);
  if (!prime(p)) {
    priming_failure(p);
    return;
  }

  p.playback.active_output = engine::kDeviceReadsOutput1;
  p.ui.set_gadget_text_colour(ids::kPlayButton, platform::kWhite);
  p.playback.worker_priority = platform::kPriorityBelowNormal;
  p.engine_thread.set_priority(platform::kPriorityBelowNormal);
  start_device(p);
  p.device_started = true;
}

}  // namespace sonvale::output
