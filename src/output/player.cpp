#include "output/player.h"

#include "audiolib/bass.h"
#include "loading/next_track.h"
#include "output/card_borrowing.h"

namespace sonvale::output {

Player::Player(platform::Ui& ui, engine::SampleBuffers& buffers, engine::PlaybackState& playback,
               engine::RangeTables& ranges, loading::Loader& loader, OutputChoice& output)
    : ui(ui),
      buffers(buffers),
      playback(playback),
      ranges(ranges),
      loader(loader),
      output(output),
      feed{buffers, playback, loader.queue},
      card_of(card_of_choice) {
  tracks.get_length = [](std::uint32_t s) { return audiolib::BASS_ChannelGetLength(s, audiolib::kPositionBytes); };
  tracks.get_position = [](std::uint32_t s) { return audiolib::BASS_ChannelGetPosition(s, audiolib::kPositionBytes); };
  tracks.get_data = [](std::uint32_t s, void* b, std::uint32_t n) { return audiolib::BASS_ChannelGetData(s, b, n); };
  tracks.error_code = [] { return audiolib::BASS_ErrorGetCode(); };
  tracks.next_track = [&loader] { loading::next_track_selection(loader); };
}

void Player::prepare_engine() {
  engine.reset();
  pool = std::make_unique<engine::WorkerPool>();
  engine.emplace(engine::EngineContext{engine::memory_of(buffers), playback, ranges, *pool});
}

}  // namespace sonvale::output
