#include "output/start_live_output.h"

#include <string>

#include "audiolib/asio.h"
#include "audiolib/bass.h"
#include "audiolib/wasapi.h"
#include "engine/live_engine_thread.h"
#include "output/card_borrowing.h"
#include "output/device_start.h"
#include "output/live_capture.h"
#include "output/rate_negotiation.h"
#include "platform/player_ids.h"
#include "platform/time.h"

namespace sonvale::output {
namespace {

using namespace audiolib;

constexpr platform::Colour kLiveButtonBack = platform::rgb(15, 135, 255);

// Failure reset of a live start: the playing page and the transport buttons stay.
void live_failure_reset(Player& p) {
  return_card(p);
  p.playback.output_rate = 0;
  p.playback.engine_run_state = engine::kEngineIdle;
  p.playback.first_fill_count = 0;
}

void reject(Player& p) {
  BASS_StreamFree(p.playback.current_decoder.load());
  show_rate(p.ui, "Reject");
  live_failure_reset(p);
  p.loader.playlist.clear_played_marks();
}

std::optional<Rate> negotiate_live_rate(Player& p) {
  const std::optional<std::int8_t> multiplier = selected_live_multiplier(p.ui);
  const std::int64_t rate = std::int64_t{p.playback.source_rate.load()} * multiplier.value_or(0);
  if (!multiplier || (*multiplier > 1 && rate > kHighestUpsampledRate)) {
    reject(p);
    return std::nullopt;
  }
  show_rate(p.ui, std::to_string(rate));
  return Rate{*multiplier, static_cast<std::int32_t>(rate)};
}

// Waits for the live engine's first block, taking one window event and pausing
// 1 ms per turn. False when it ended without one.
bool prime(Player& p) {
  while (p.playback.first_fill_count.load(std::memory_order_acquire) == 0) {
    if (!p.engine_thread.is_running()) return p.playback.first_fill_count.load() != 0;
    // Without the recording no block would ever come.
    if (capture_was_lost()) p.playback.stop_request = 1;
    const platform::Event event = p.ui.wait_event(0);
    if (event.kind == platform::EventKind::CloseWindow) {
      p.playback.stop_request = 1;
      p.ui.inject(event);
    }
    platform::sleep_ms(1);
  }
  return true;
}

void priming_failure(Player& p) {
  if (p.output.mode == kOutputAsio)
    BASS_ASIO_Free();
  else
    BASS_WASAPI_Free();
  show_rate(p.ui, "Crush");
  live_failure_reset(p);
}

}  // namespace

void start_live_output(Player& p) {
  p.ui.set_gadget_text(ids::kPauseButton, "PAUSE");
  const bool asio = p.output.mode == kOutputAsio;
  if (!asio && p.output.mode != kOutputWasapi) return;

  if (asio) {
    BASS_ASIO_ChannelSetVolume(false, -1, 0.0f);
    BASS_ASIO_Free();
  }
  BASS_Free();
  BASS_Init(0, static_cast<std::uint32_t>(p.playback.source_rate.load()), 0, nullptr, nullptr);

  const std::optional<Rate> rate = negotiate_live_rate(p);
  if (!rate) return;
  p.playback.rate_multiplier = rate->multiplier;
  p.playback.output_rate = rate->output_rate;

  p.playback.engine_run_state = engine::kEngineRunning;
  p.playback.fill_selector = 1;
  p.ui.set_gadget_back_colour(ids::kPlayButton, kLiveButtonBack);
  p.ui.set_gadget_back_colour(ids::kStopButton, kLiveButtonBack);
  if (!open_device(p, rate->output_rate, true)) {
    report_device_failure(p, rate->output_rate);
    live_failure_reset(p);
    p.loader.playlist.clear_played_marks();
    return;
  }

  p.engine_thread.wait();  // the previous run's engine, long ended
  p.prepare_engine();
  platform::Ui& ui = p.ui;
  p.engine_thread.start(
      [&p, &ui](std::intptr_t) {
        return engine::run_live_engine_thread(*p.engine, p.buffers, [&ui](int value) {
          ui.post([&ui, value] { ui.set_gadget_state(ids::kCaptureFillBar, value); });
        });
      },
      0, platform::kPriorityAboveNormal);
  if (!prime(p)) {
    priming_failure(p);
    return;
  }

  p.playback.active_output = engine::kDeviceReadsOutput1;
  p.ui.set_gadget_text_colour(ids::kPlayButton, platform::kWhite);
  p.engine_thread.set_priority(platform::kPriorityNormal);
  start_device(p);
  p.device_started = true;
}

}  // namespace sonvale::output
