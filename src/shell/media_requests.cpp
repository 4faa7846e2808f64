#include "shell/media_requests.h"

#include <cmath>

#include "output/stop_playback.h"
#include "platform/player_ids.h"
#include "shell/click_chain.h"
#include "shell/instance_receiver.h"

namespace sonvale::shell {
namespace {

using platform::MediaRequest;
using Status = platform::MediaState::Status;

bool playing(const App& app) { return app.loader.playing_page.load() != 0; }
bool paused(const App& app) { return app.ui.gadget_text(ids::kPauseButton) == "PAUSED"; }
bool pause_offered(const App& app) { return !app.ui.is_gadget_hidden(ids::kPauseButton); }

void pause_or_resume(App& app, bool resume) {
  if (playing(app) && pause_offered(app) && paused(app) == resume) output::pause_toggle(app.player);
}

void raise_player(App& app) {
  if (app.mini_mode) leave_mini_mode(app);
  bring_to_front(app.ui, ids::kMainWindow);
}

std::int64_t microseconds(std::int64_t bytes, std::int32_t rate) {
  constexpr std::int64_t kFrameBytes = 8;
  return rate > 0 ? bytes / kFrameBytes * 1'000'000 / rate : 0;
}

}  // namespace

bool run_media_request(App& app, const platform::Event& event) {
  switch (static_cast<MediaRequest>(event.detail)) {
    case MediaRequest::Play:
      if (!playing(app)) play_command(app);
      else pause_or_resume(app, true);
      break;
    case MediaRequest::Pause:
      pause_or_resume(app, false);
      break;
    case MediaRequest::PlayPause:
      if (!playing(app)) play_command(app);
      else pause_or_resume(app, paused(app));
      break;
    case MediaRequest::Stop:
      stop_command(app);
      break;
    case MediaRequest::Next:
      if (playing(app)) skip_command(app);
      break;
    case MediaRequest::Volume:
      output::set_volume_step(app.player, event.value);
      break;
    case MediaRequest::Raise:
      raise_player(app);
      break;
    case MediaRequest::Quit:
      return app.mini_mode;
  }
  return true;
}

platform::MediaState media_state(const App& app) {
  platform::MediaState state;
  state.volume_step = static_cast<int>(std::lround(app.player.volume * platform::kTopVolumeStep));
  state.can_quit = !app.mini_mode;
  if (!playing(app)) return state;
  state.status = paused(app) ? Status::Paused : Status::Playing;
  state.can_play = paused(app);
  state.can_pause = pause_offered(app);
  state.can_go_next = true;
  if (const std::optional<loading::PlayRecord> heard = app.play_queue.front()) {
    const std::int32_t rate = app.playback.source_rate.load();
    state.title = heard->line2;
    state.album = heard->line1;
    state.length_us = microseconds(heard->length, rate);
    state.position_us = microseconds(std::min(heard->bytes_played, heard->length), rate);
  }
  return state;
}

void publish_media_state(App& app) {
  if (app.media) app.media->publish(media_state(app));
}

}  // namespace sonvale::shell
