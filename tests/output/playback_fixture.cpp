#include "playback_fixture.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "audiolib/asio.h"
#include "audiolib/bass.h"
#include "audiolib/device_catalog.h"
#include "audiolib/wasapi.h"
#include "engine/kernel_tables.h"
#include "output/mode_selection.h"
#include "output/start_playback.h"
#include "output/stop_playback.h"
#include "platform/cpu.h"
#include "platform/player_ids.h"
#include "platform/time.h"
#include "playlist/add_tracks.h"
#include "playlist/page_style.h"

namespace sonvale::output::test {
namespace {

engine::SampleBuffers& shared_buffers() {
  static engine::SampleBuffers* buffers = [] {
    auto* b = new engine::SampleBuffers;
    b->reserve();
    engine::build_kernel_tables(*b, 512);
    engine::install_filter_tables(*b);
    return b;
  }();
  return *buffers;
}

// The main-window gadgets that starting, playing and stopping read and write.
void build_playback_gadgets(platform::Ui& ui) {
  using platform::GadgetKind;
  using platform::Rect;
  ui.open_window(ids::kMainWindow, Rect{0, 0, 700, 700}, "Sonvale", 0);
  for (int g : {ids::kSelectorX1, ids::kSelectorX2, ids::kSelectorX4, ids::kRateDisplay, ids::kLpfButton,
                ids::kPlayButton, ids::kStopButton, ids::kSkipButton, ids::kRepeatButton, ids::kPauseButton})
    ui.create_gadget(ids::kMainWindow, g, GadgetKind::Text, Rect{}, "");
  for (int step = 0; step <= 30; ++step)
    ui.create_gadget(ids::kMainWindow, ids::volume_step(step), GadgetKind::Text, Rect{}, "");
  for (int page = 1; page <= playlist::kPageCount; ++page) {
    ui.create_gadget(ids::kMainWindow, ids::page_label(page), GadgetKind::Text, Rect{},
                     playlist::kPageLabels[static_cast<std::size_t>(page - 1)]);
    ui.set_gadget_back_colour(ids::page_label(page), playlist::page_colour(page));
    ui.create_gadget(ids::kMainWindow, ids::page_list(page), GadgetKind::List, Rect{}, "");
  }
  ui.set_gadget_text(ids::kPauseButton, "PAUSE");
}

}  // namespace

PlaybackFixture::PlaybackFixture() : PlaybackFixture(shared_buffers()) {}

PlaybackFixture::PlaybackFixture(engine::SampleBuffers& own_buffers) : buffers(own_buffers) {
  audiolib::BASS_Init(0, 48000, 0, nullptr, nullptr);
  build_playback_gadgets(ui);
  playback.processor_count = static_cast<std::int8_t>(platform::count_processors());
  select(engine::SoundMode::Green1, 0);
}

PlaybackFixture::~PlaybackFixture() {
  stop_playback(player, 0);
  audiolib::BASS_ASIO_Free();
  audiolib::BASS_Free();
}

bool PlaybackFixture::add(const std::string& path, int page) {
  playlist.set_visible_page(page);
  const std::size_t before = playlist.size(page);
  playlist::add_dropped_files(playlist, {path});
  return playlist.size(page) == before + 1;
}

void PlaybackFixture::select(engine::SoundMode mode, int post_filter) {
  show_sound_mode(ui, playback, mode);
  show_post_filter(ui, playback, post_filter);
}

void PlaybackFixture::play_to_end(int grace_ms) {
  while (!playback_has_ended(player)) {
    if (!audiolib::BASS_ASIO_IsStarted() && !audiolib::BASS_WASAPI_IsStarted()) return;
    platform::sleep_ms(2);
  }
  finish_playback(player, grace_ms);
}

std::vector<float> PlaybackFixture::render(const std::string& wav_path) {
  output.mode = kOutputAsio;
  output.asio_device = audiolib::asio_add_render_driver(wav_path);
  player.feed.count_delivered = true;
  start_playback(player, 0);
  if (!audiolib::BASS_ASIO_IsStarted()) return {};
  play_to_end();
  return read_float_wav(wav_path);
}

std::vector<float> as_floats(const sonvale::test::Pcm& pcm) {
  std::vector<float> out;
  for (std::int64_t f = 0; f < pcm.frames(); ++f)
    for (int c = 0; c < 2; ++c) out.push_back(pcm.as_float(f, c));
  return out;
}

}  // namespace sonvale::output::test
