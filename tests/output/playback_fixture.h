#pragma once

#include <string>
#include <vector>

#include "engine/sound_mode.h"
#include "loading/open_track.h"
#include "output/player.h"
#include "platform/ui_headless.h"
#include "playlist/playlist.h"
#include "support/audio_fixtures.h"

namespace sonvale::output::test {

// A player on the headless backend with the main-window gadgets that playback
// touches, over one set of the real sample buffers (reserved once for the suite).
class PlaybackFixture {
 public:
  PlaybackFixture();
  // Over buffers of the test's own, such as a set with a table missing.
  explicit PlaybackFixture(engine::SampleBuffers& own_buffers);
  ~PlaybackFixture();

  // Adds a file to `page` as a drop would; false when it was not taken.
  bool add(const std::string& path, int page = 1);
  void select(engine::SoundMode mode, int post_filter);

  // Renders the visible page from its selected entry into a WAV file, to the end of
  // the playlist; returns the file's samples (empty when playback did not start).
  std::vector<float> render(const std::string& wav_path);
  // Waits until playback has ended, then finishes it as the main window would.
  void play_to_end(int grace_ms = 0);

  platform::HeadlessUi ui;
  engine::SampleBuffers& buffers;
  engine::PlaybackState playback;
  engine::RangeTables ranges;
  playlist::Playlist playlist{ui, playback.source_rate};
  loading::PlayQueue queue;
  loading::Loader loader{ui, playlist, playback, queue};
  OutputChoice output = [] {
    OutputChoice choice;
    choice.mode = kOutputAsio;
    return choice;
  }();
  Player player{ui, buffers, playback, ranges, loader, output};
  sonvale::test::TempDir dir;
};

using sonvale::test::read_float_wav;

// The frames a 16-bit PCM signal decodes to.
std::vector<float> as_floats(const sonvale::test::Pcm& pcm);

}  // namespace sonvale::output::test
