// Tracks that end at, just before or just after the end of a block, rendered through
// the engine and the device callback in every Sound mode: each plays, and whole.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "audiolib/asio.h"
#include "audiolib/device_catalog.h"
#include "engine/stage_chain.h"
#include "output/start_playback.h"
#include "playback_fixture.h"

namespace sonvale::output {
namespace {

using engine::SoundMode;
using test::PlaybackFixture;
namespace fx = sonvale::test;

constexpr std::int64_t kBlock = engine::kBlockFrames;

// A quiet pattern that never repeats within a block, as one WAV file.
fx::Pcm pattern(std::int64_t frames, std::int64_t from = 0) {
  fx::Pcm pcm;
  pcm.samples.resize(static_cast<std::size_t>(2 * frames));
  for (std::int64_t i = 0; i < frames; ++i) {
    const std::int64_t n = from + i;
    pcm.samples[static_cast<std::size_t>(2 * i)] = static_cast<std::int32_t>(n * 7 % 20011) - 10005;
    pcm.samples[static_cast<std::size_t>(2 * i + 1)] = static_cast<std::int32_t>(n * 13 % 19997) - 9998;
  }
  return pcm;
}

bool needs_two_processors(SoundMode mode) {
  return mode == SoundMode::Brown2 || mode == SoundMode::White2 || mode == SoundMode::Brown4 ||
         mode == SoundMode::White4;
}

// Plays the visible page through the render driver into nothing; the frames the
// device callback delivered, or -1 when playback did not start.
std::int64_t frames_rendered(PlaybackFixture& f) {
  f.output.mode = kOutputAsio;
  f.output.asio_device = audiolib::asio_add_render_driver("/dev/null");
  f.player.feed.count_delivered = true;
  const std::int64_t before = f.player.feed.delivered.load();
  start_playback(f.player, 0);
  if (!audiolib::BASS_ASIO_IsStarted()) return -1;
  f.play_to_end();
  return (f.player.feed.delivered.load() - before) / 8;
}

class BlockEdges : public ::testing::TestWithParam<SoundMode> {};

TEST_P(BlockEdges, TracksAtAndAroundOneAndTwoBlocksPlayWhole) {
  const engine::SoundModeInfo& info = engine::info_of(GetParam());
  PlaybackFixture f;
  if (needs_two_processors(info.mode) && f.playback.processor_count.load() < 2)
    GTEST_SKIP() << info.label << " needs two processors";
  const bool plain = info.mode == SoundMode::Green1;
  for (const std::int64_t frames : {kBlock - 1, kBlock, kBlock + 1, 2 * kBlock - 1, 2 * kBlock, 2 * kBlock + 1}) {
    SCOPED_TRACE(std::to_string(frames) + " frames");
    const fx::Pcm pcm = pattern(frames);
    fx::write_wav(f.dir.file("in.wav"), pcm);
    f.playlist.set_visible_page(1);
    f.playlist.clear_page();
    ASSERT_TRUE(f.add(f.dir.file("in.wav")));
    f.select(info.mode, plain ? 0 : 1);
    if (plain) {
      const std::vector<float> rendered = f.render(f.dir.file("out.wav"));
      const std::vector<float> source = test::as_floats(pcm);
      ASSERT_EQ(rendered.size(), source.size());
      EXPECT_EQ(std::memcmp(rendered.data(), source.data(), source.size() * 4), 0);
    } else {
      // The multiplied source and one lead-in of the filters' tail.
      EXPECT_EQ(frames_rendered(f), info.multiplier * (frames + engine::lead_in_bytes(info.mode) / 8));
    }
  }
}

// Two tracks that together fill one block exactly end the playlist on its edge.
TEST(BlockEdgeJoin, TwoTracksFillingOneBlockExactlyPlayInGreenTimesOne) {
  PlaybackFixture f;
  const std::int64_t first = kBlock / 3;
  const fx::Pcm a = pattern(first);
  const fx::Pcm b = pattern(kBlock - first, first);
  fx::write_wav(f.dir.file("a.wav"), a);
  fx::write_wav(f.dir.file("b.wav"), b);
  ASSERT_TRUE(f.add(f.dir.file("a.wav")));
  ASSERT_TRUE(f.add(f.dir.file("b.wav")));
  f.select(SoundMode::Green1, 0);
  const std::vector<float> rendered = f.render(f.dir.file("out.wav"));
  const std::vector<float> whole = test::as_floats(pattern(kBlock));
  ASSERT_EQ(rendered.size(), whole.size());
  EXPECT_EQ(std::memcmp(rendered.data(), whole.data(), whole.size() * 4), 0);
}

std::vector<SoundMode> modes_to_test() {
  std::vector<SoundMode> modes;
  for (const engine::SoundModeInfo& info : engine::kSoundModes) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // Only the plain mode: the processing modes take minutes under a sanitizer.
    if (info.mode != SoundMode::Green1) continue;
#endif
    modes.push_back(info.mode);
  }
  return modes;
}

std::string mode_name(const ::testing::TestParamInfo<SoundMode>& param) {
  std::string name;
  for (char c : std::string(engine::info_of(param.param).label))
    if (c != ' ') name += c;
  return name;
}

INSTANTIATE_TEST_SUITE_P(EveryMode, BlockEdges, ::testing::ValuesIn(modes_to_test()), mode_name);

}  // namespace
}  // namespace sonvale::output
