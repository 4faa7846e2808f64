#include "output/stop_playback.h"

#include "audiolib/asio.h"
#include "audiolib/bass.h"
#include "audiolib/wasapi.h"
#include "loading/draw_track_time.h"
#include "output/card_borrowing.h"
#include "output/transport.h"
#include "platform/player_ids.h"
#include "platform/time.h"

namespace sonvale::output {
namespace {

using namespace audiolib;

// Waits for a thread while the windows stay drawn and STOP flashes every 100 ms.
// Returns as soon as the thread ends, not at the next flash. Gives up after
// `max_passes` of 100 ms when that is positive; false then.
bool wait_for(Player& p, const platform::Thread& thread, int max_passes) {
  ButtonFlash flash(190);
  for (int pass = 0; thread.is_running(); ++pass) {
    if (max_passes > 0 && pass > max_passes) return false;
    const bool ended = thread.wait_ended(100);
    p.ui.drop_pending_events();
    if (ended) break;
    p.ui.set_gadget_text_colour(ids::kStopButton, flash.next());
  }
  return true;
}

void free_stream_on_release_thread(Player& p) {
  const std::uint32_t stream = p.playback.current_decoder.load();
  if (stream == 0) return;
  platform::Thread release;
  if (!release.start([stream](std::intptr_t) { BASS_StreamFree(stream); return 0; }, 0,
                     platform::kPriorityAboveNormal))
    return;
  // A drive that never answers is left to itself after about 90 seconds.
  if (!wait_for(p, release, 900)) release.detach();
}

}  // namespace

void stop_playback(Player& p, int keep_marks) {
  loading::show_idle_panel(p.ui);
  p.playback.stop_request = 1;
  if (BASS_WASAPI_IsStarted()) BASS_WASAPI_Stop(true);
  if (BASS_ASIO_IsStarted()) BASS_ASIO_Stop();

  const std::int8_t mode = p.output.mode;
  if (mode == kOutputAsio || mode == kOutputWasapi) {
    if (mode == kOutputAsio && BASS_ASIO_IsStarted()) BASS_ASIO_Stop();
    if (mode == kOutputWasapi && BASS_WASAPI_IsStarted()) BASS_WASAPI_Stop(true);
    wait_for(p, p.engine_thread, 0);
    p.engine_thread.wait();
    if (mode == kOutputAsio) BASS_ASIO_ChannelReset(false, 0, kAsioResetEnable | kAsioResetJoin);
  }
  p.device_started = false;
  // A skip (keep marks 1) starts again at once: the card stays borrowed for it, and
  // a start that fails gives it back.
  if (keep_marks == 0) return_card(p);

  free_stream_on_release_thread(p);
  p.ui.set_gadget_text_colour(ids::kStopButton, platform::kWhite);

  p.buffers.zero_sample_buffers();
  // The buffers are silent now: mark them empty as well, or a next playback could
  // play out a stale block of silence, or switch into a buffer not yet filled.
  engine::empty_output_buffers(p.playback);
  p.playback.output_rate = 0;
  p.playback.engine_run_state = engine::kEngineIdle;
  p.playback.first_fill_count = 0;
  if (keep_marks == 0) p.loader.playlist.clear_played_marks();
}

void pause_toggle(Player& p) {
  if (p.ui.gadget_text(ids::kPauseButton) == "PAUSED") {
    if (BASS_ASIO_IsStarted()) BASS_ASIO_ChannelReset(false, 0, kAsioResetPause);
    p.ui.set_gadget_text(ids::kPauseButton, "PAUSE");
  } else {
    p.ui.set_gadget_text(ids::kPauseButton, "PAUSED");
    if (BASS_ASIO_IsStarted()) BASS_ASIO_ChannelPause(false, 0);
  }
}

void set_volume_step(Player& p, int step) {
  if (step < 0 || step > 30) return;
  for (int s = 0; s <= 30; ++s) {
    p.ui.set_gadget_text_colour(ids::volume_step(s), 0xA0A0A0);
    p.ui.set_gadget_back_colour(ids::volume_step(s), 0x2346);
  }
  p.ui.set_gadget_text_colour(ids::volume_step(step), platform::kWhite);
  p.volume = static_cast<float>(step / 30.0 * 1.0);
  if (p.loader.playing_page.load() == 0) return;
  if (p.output.mode == kOutputAsio)
    BASS_ASIO_ChannelSetVolume(false, -1, p.volume);
  else if (p.output.mode == kOutputWasapi)
    BASS_WASAPI_SetVolume(kWasapiCurveLinear, p.volume);
}

bool playback_has_ended(const Player& p) {
  if (!BASS_ASIO_IsStarted() && !BASS_WASAPI_IsStarted()) return false;
  if (p.playback.engine_run_state.load() != engine::kEngineExhausted) return false;
  for (const engine::OutputHandover& handover : p.playback.output)
    if (!handover.empty() && handover.read_position.load() != handover.fill_length.load()) return false;
  return true;
}

bool output_was_lost(const Player& p) {
  return p.device_started && !BASS_ASIO_IsStarted() && !BASS_WASAPI_IsStarted();
}

std::string output_failure(const Player& p) {
  return p.output.mode == kOutputWasapi ? wasapi_last_error() : asio_last_error();
}

void finish_playback(Player& p, int grace_ms) {
  platform::sleep_ms(grace_ms);
  stop_playback(p, 0);
  p.loader.queue.clear();
  p.ui.set_gadget_text(ids::kRateDisplay, "0");
  paint_transport_buttons(p.ui, 0);
  p.loader.playing_page = 0;
}

}  // namespace sonvale::output
