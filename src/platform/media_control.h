#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ui.h"

namespace sonvale::platform {

// What the desktop's media controls (media keys, the panel's player widget) ask of
// the player. Each arrives as a MediaRequest event with the request in `detail`.
enum class MediaRequest {
  Play = 1,
  Pause,
  PlayPause,
  Stop,
  Next,
  Raise,
  Quit,
  Volume,  // the event's `value` is the volume step asked for, 0 to kTopVolumeStep
};

inline constexpr int kTopVolumeStep = 30;

// The player as the media controls show it.
struct MediaState {
  enum class Status { Stopped, Playing, Paused };
  Status status = Status::Stopped;
  // The track being heard; empty while stopped.
  std::string title;
  std::string album;
  std::int64_t length_us = 0;
  std::int64_t position_us = 0;  // read on demand, never announced
  int volume_step = kTopVolumeStep;
  bool can_play = true;
  bool can_pause = false;
  bool can_go_next = false;
  bool can_quit = true;
};

// The player's presence among the desktop's media players. Its requests are
// injected into the user interface's event queue; the loop that takes them reports
// the player's state back through publish().
class MediaControl {
 public:
  virtual ~MediaControl() = default;
  // Announces what changed since the last call to the media controls.
  virtual void publish(const MediaState& state) = 0;
};

// Joins the session bus as a media player named `identity`, whose desktop entry is
// `desktop_entry`. Nothing when there is no session bus to join. Call on the user
// interface's thread; requests are taken there too.
std::unique_ptr<MediaControl> connect_media_control(Ui& ui, std::string_view identity,
                                                    std::string_view desktop_entry);

}  // namespace sonvale::platform
