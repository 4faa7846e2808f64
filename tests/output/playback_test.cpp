// Starting, rendering and stopping playback through the real decoder, engine and
// device layer, on the headless backend.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

#include "audiolib/asio.h"
#include "audiolib/bass.h"
#include "audiolib/device_catalog.h"
#include "audiolib/wasapi.h"
#include "engine/block_processing.h"
#include "engine/stage_chain.h"
#include "output/start_playback.h"
#include "output/stop_playback.h"
#include "platform/player_ids.h"
#include "platform/time.h"
#include "playback_fixture.h"
#include "support/disc_images.h"
#include "support/scoped_env.h"

namespace sonvale::output {
namespace {

using engine::SoundMode;
using test::PlaybackFixture;
namespace fx = sonvale::test;

fx::Pcm slice(const fx::Pcm& pcm, std::int64_t from, std::int64_t to) {
  fx::Pcm part = pcm;
  part.samples.assign(pcm.samples.begin() + from * pcm.channels, pcm.samples.begin() + to * pcm.channels);
  return part;
}

// One signal, and the same signal cut into three FLAC tracks at odd frame counts.
struct SplitSignal {
  explicit SplitSignal(const fx::TempDir& dir) : pcm(fx::reference_pcm(44100, 2, 16, 120'001)) {
    whole = dir.file("whole.flac");
    fx::write_wav(dir.file("whole.wav"), pcm);
    fx::encode(fx::Encoder::Flac, dir.file("whole.wav"), whole);
    const std::int64_t cuts[] = {0, 33'331, 77'777, pcm.frames()};
    for (int i = 0; i < 3; ++i) {
      const std::string wav = dir.file("part" + std::to_string(i) + ".wav");
      fx::write_wav(wav, slice(pcm, cuts[i], cuts[i + 1]));
      parts.push_back(dir.file("part" + std::to_string(i) + ".flac"));
      fx::encode(fx::Encoder::Flac, wav, parts.back());
    }
  }
  fx::Pcm pcm;
  std::string whole;
  std::vector<std::string> parts;
};

TEST(Playback, GreenX1RendersSplitTracksByteIdenticalToTheWholeSignal) {
  PlaybackFixture f;
  SplitSignal signal(f.dir);
  for (const std::string& part : signal.parts) ASSERT_TRUE(f.add(part));
  f.select(SoundMode::Green1, 0);
  const std::vector<float> rendered = f.render(f.dir.file("out.wav"));
  const std::vector<float> expected = test::as_floats(signal.pcm);
  ASSERT_EQ(rendered.size(), expected.size());
  EXPECT_EQ(std::memcmp(rendered.data(), expected.data(), expected.size() * 4), 0);
  EXPECT_EQ(f.ui.gadget_text(ids::kRateDisplay), "0");  // finished: back to idle
  EXPECT_TRUE(f.queue.empty());
}

// A live album: its track changes must not be heard, so the disc plays as one.
TEST(Playback, GreenX1RendersADiscImagesTracksAsTheDiscsContinuousAudio) {
  PlaybackFixture f;
  sonvale::test::ScopedEnv off("SONVALE_CDDB_SERVER", "off");
  sonvale::test::DiscLayout layout = sonvale::test::plain_layout({1401, 77, 2303});
  layout.pause_sectors = 30;
  const sonvale::test::DiscImage image = sonvale::test::make_cue_image(f.dir, "live", layout);
  f.add(image.sheet);  // all of its tracks
  ASSERT_EQ(f.playlist.size(1), 3u);
  f.select(SoundMode::Green1, 0);
  const std::vector<float> rendered = f.render(f.dir.file("out.wav"));
  const std::vector<float> expected = image.disc_floats();
  ASSERT_EQ(rendered.size(), expected.size());
  EXPECT_EQ(std::memcmp(rendered.data(), expected.data(), expected.size() * 4), 0);
  EXPECT_TRUE(f.queue.empty());
}

TEST(Playback, EveryProcessingModeRendersSplitTracksAsTheWholeFile) {
  PlaybackFixture f;
  SplitSignal signal(f.dir);
  int filter = 0;
  for (const engine::SoundModeInfo& info : engine::kSoundModes) {
    if (info.mode == SoundMode::Green1) continue;
    SCOPED_TRACE(info.label);
    filter = (filter + 1) % 4;
    f.playlist.set_visible_page(1);
    f.playlist.clear_page();
    ASSERT_TRUE(f.add(signal.whole));
    f.select(info.mode, filter);
    const std::vector<float> whole = f.render(f.dir.file("whole_out.wav"));
    f.playlist.clear_page();
    for (const std::string& part : signal.parts) ASSERT_TRUE(f.add(part));
    f.select(info.mode, filter);
    const std::vector<float> split = f.render(f.dir.file("split_out.wav"));
    ASSERT_FALSE(whole.empty());
    ASSERT_EQ(split.size(), whole.size());
    EXPECT_EQ(std::memcmp(split.data(), whole.data(), whole.size() * 4), 0);
    // The output is the multiplied source plus one lead-in, as the engine delivers it.
    EXPECT_EQ(static_cast<std::int64_t>(whole.size()) / 2 / info.multiplier,
              signal.pcm.frames() + engine::lead_in_bytes(info.mode) / 8);
  }
}

TEST(Playback, RateNegotiationOffersUpToFourTimes48kHz) {
  PlaybackFixture f;
  fx::write_wav(f.dir.file("48k.wav"), fx::reference_pcm(48000, 2, 16, 4000));
  ASSERT_TRUE(f.add(f.dir.file("48k.wav")));
  f.select(SoundMode::Green4, 1);
  EXPECT_FALSE(f.render(f.dir.file("out.wav")).empty());
}

TEST(Playback, FourTimes96kHzIsRejectedWithoutAMessage) {
  PlaybackFixture f;
  fx::write_wav(f.dir.file("96k.wav"), fx::reference_pcm(96000, 2, 16, 4000));
  ASSERT_TRUE(f.add(f.dir.file("96k.wav")));
  f.select(SoundMode::Green4, 1);
  f.output.asio_device = 0;  // Null output
  start_playback(f.player, 0);
  EXPECT_EQ(f.ui.gadget_text(ids::kRateDisplay), "Reject");
  EXPECT_TRUE(f.ui.message_boxes().empty());
  EXPECT_EQ(f.loader.playing_page, 0);
  EXPECT_EQ(f.playback.output_rate, 0);
  EXPECT_FALSE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_TRUE(f.queue.empty());  // the track opened for the start is not heard
}

TEST(Playback, OneTimesHasNoUpperLimitAndARefusingDeviceSaysSo) {
  PlaybackFixture f;
  fx::write_wav(f.dir.file("352k.wav"), fx::reference_pcm(352800, 2, 16, 4000));
  ASSERT_TRUE(f.add(f.dir.file("352k.wav")));
  f.select(SoundMode::Green1, 0);
  f.output.asio_device = audiolib::asio_add_pcm_driver(
      "fixed", "fixed", "pcm.fixed { type plug slave { pcm { type null } rate 48000 } }");
  start_playback(f.player, 0);
  EXPECT_EQ(f.ui.gadget_text(ids::kRateDisplay), "Reject");
  const auto boxes = f.ui.message_boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "ASIO didn't set 352800Hz or other error.");
  EXPECT_EQ(boxes[0].text, "Could you check ASIO devices?");
  EXPECT_EQ(boxes[0].flags, 16u);
  EXPECT_TRUE(f.queue.empty());

  // The render driver takes any rate: the source rate is offered unchanged.
  EXPECT_FALSE(f.render(f.dir.file("out.wav")).empty());
}

TEST(Playback, ARefusingExclusiveDeviceGetsTheWasapiMessage) {
  PlaybackFixture f;
  fx::write_wav(f.dir.file("44k.wav"), fx::reference_pcm(44100, 2, 16, 4000));
  ASSERT_TRUE(f.add(f.dir.file("44k.wav")));
  f.output.mode = kOutputWasapi;
  f.output.wasapi_device = audiolib::wasapi_add_pcm_device(
      "fixed48", "fixed48", "pcm.fixed48 { type hw card 97 device 0 }");
  start_playback(f.player, 0);
  const auto boxes = f.ui.message_boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "WASAPI didn't set 44100Hz or other error.");
  EXPECT_EQ(boxes[0].text,
            "Could you set EXCLUSIVE mode?\n\rWe recomend \"ASIO\" .\n\rYour product supoort this mode ?");
  EXPECT_TRUE(f.queue.empty());
}

TEST(Playback, ALostExclusiveDeviceIsReportedWithItsOwnError) {
  PlaybackFixture f;
  fx::write_wav(f.dir.file("44k.wav"), fx::reference_pcm(44100, 2, 16, 40000));
  ASSERT_TRUE(f.add(f.dir.file("44k.wav")));
  EXPECT_FALSE(audiolib::BASS_ASIO_ControlPanel());  // a failure of the other path, to tell them apart
  f.output.mode = kOutputWasapi;
  // A device whose writes fail once it plays.
  f.output.wasapi_device = audiolib::wasapi_add_pcm_device(
      "full", "full", "pcm.full { type file slave.pcm { type null } file \"/dev/full\" format raw }");
  start_playback(f.player, 0);
  ASSERT_TRUE(f.player.device_started);
  while (!output_was_lost(f.player)) platform::sleep_ms(2);
  EXPECT_NE(output_failure(f.player).find("Input/output error"), std::string::npos) << output_failure(f.player);
}

TEST(Playback, AStartAfterAStopMeasuresItsFirstMp3Whole) {
  PlaybackFixture f;
  const std::string mp3 = fx::make_fixture(f.dir, "a.mp3", fx::Encoder::Lame, fx::reference_pcm(44100, 2, 16, 200'000));
  ASSERT_TRUE(f.add(mp3));
  f.output.asio_device = 0;  // Null output
  for (int start = 0; start < 2; ++start) {
    start_playback(f.player, 0);
    ASSERT_TRUE(f.player.device_started);
    ASSERT_FALSE(f.queue.empty());
    EXPECT_EQ(f.queue.front()->length, 200'000 * 8) << "start " << start;
    finish_playback(f.player, 0);  // stops, as STOP does
  }
}

std::vector<char> read_bytes(const std::string& path) {
  std::vector<char> bytes;
  if (FILE* in = std::fopen(path.c_str(), "rb")) {
    char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(in);
  }
  return bytes;
}

// An ALSA file device recording what it is given, over `slave`.
int capture_driver(const std::string& name, const std::string& file, const std::string& slave) {
  return audiolib::asio_add_pcm_driver(
      name, name, "pcm." + name + " { type file slave.pcm " + slave + " file \"" + file + "\" format raw }");
}

TEST(Playback, SixteenBitPcmReachesAFloatAndAnS32DeviceExactly) {
  PlaybackFixture f;
  const fx::Pcm pcm = fx::reference_pcm(48000, 2, 16, 9000);
  fx::write_wav(f.dir.file("in.wav"), pcm);
  ASSERT_TRUE(f.add(f.dir.file("in.wav")));
  const std::vector<float> expected = test::as_floats(pcm);

  const std::string raw = f.dir.file("float.raw");
  f.output.asio_device = capture_driver("cap", raw, "{ type null }");
  start_playback(f.player, 0);
  f.play_to_end(1000);  // the device plays out what it holds, as the main window lets it
  const std::vector<char> as_float = read_bytes(raw);
  ASSERT_GE(as_float.size(), expected.size() * 4);  // then silence to the period's end
  EXPECT_EQ(std::memcmp(as_float.data(), expected.data(), expected.size() * 4), 0);

  const std::string raw32 = f.dir.file("s32.raw");
  f.output.asio_device = capture_driver("cap32", raw32, "{ type linear slave { pcm { type null } format S32_LE } }");
  start_playback(f.player, 0);
  f.play_to_end(1000);  // the device plays out what it holds, as the main window lets it
  const std::vector<char> as_s32 = read_bytes(raw32);
  ASSERT_GE(as_s32.size(), pcm.samples.size() * 4);
  std::vector<std::int32_t> values(pcm.samples.size());
  std::memcpy(values.data(), as_s32.data(), values.size() * 4);
  for (std::size_t i = 0; i < values.size(); ++i) ASSERT_EQ(values[i], pcm.samples[i] * 65536) << i;
}

TEST(Playback, VolumeStepsAreLinear) {
  PlaybackFixture f;
  const std::pair<int, float> steps[] = {{0, 0.0f}, {15, 0.5f}, {30, 1.0f}};
  for (auto [step, gain] : steps) {
    set_volume_step(f.player, step);
    EXPECT_EQ(f.player.volume, gain);
    EXPECT_EQ(f.ui.gadget_text_colour(ids::volume_step(step)), platform::kWhite);
  }
  EXPECT_EQ(f.ui.gadget_text_colour(ids::volume_step(0)), 0xA0A0A0u);
  EXPECT_EQ(f.ui.gadget_back_colour(ids::volume_step(0)), 0x2346u);
}

bool all_zero(const engine::SampleBuffers& buffers, engine::Buffer b) {
  const std::byte* p = buffers.bytes(b);
  return std::all_of(p, p + buffers.size(b), [](std::byte x) { return x == std::byte{0}; });
}

void expect_every_buffer_zero(const engine::SampleBuffers& buffers) {
  using engine::Buffer;
  for (Buffer b : {Buffer::Input, Buffer::Carry, Buffer::WorkA, Buffer::WorkB, Buffer::WorkC, Buffer::Output1,
                   Buffer::Output2, Buffer::Capture, Buffer::FilterTail})
    EXPECT_TRUE(all_zero(buffers, b)) << engine::entry_of(b).name;
}

// More than one block of a quiet sine, as one WAV file.
std::string long_file(const fx::TempDir& dir, std::int64_t frames) {
  fx::Pcm pcm;
  pcm.rate = 44100;
  for (std::int64_t i = 0; i < frames; ++i) {
    const auto v = static_cast<std::int32_t>(8000 * std::sin(static_cast<double>(i) * 0.01));
    pcm.samples.push_back(v);
    pcm.samples.push_back(-v);
  }
  const std::string path = dir.file("long.wav");
  fx::write_wav(path, pcm);
  return path;
}

TEST(Playback, AStopWhileTheFirstBlockIsMadeEndsTheStartCleanly) {
  PlaybackFixture f;
  ASSERT_TRUE(f.add(long_file(f.dir, engine::kBlockFrames + 1000)));
  f.select(SoundMode::White4, 3);
  f.output.asio_device = 0;  // Null output
  std::thread stopper([&] {
    while (f.playback.engine_run_state.load() != engine::kEngineRunning) std::this_thread::yield();
    platform::sleep_ms(300);
    f.playback.stop_request = 1;
  });
  start_playback(f.player, 0);
  stopper.join();
  EXPECT_EQ(f.ui.gadget_text(ids::kRateDisplay), "Crush");
  EXPECT_FALSE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_FALSE(f.player.engine_thread.is_running());
  EXPECT_EQ(f.playback.engine_run_state, engine::kEngineIdle);
  expect_every_buffer_zero(f.buffers);
}

// The engine starts its first block at once: the workers it makes for it must find
// the priming priority already set, not the lowest one of an idle player.
std::atomic<engine::PlaybackState*> g_watched{nullptr};
std::atomic<int> g_priority_at_first_read{0};

TEST(Playback, TheFirstBlockIsMadeAtNormalPriority) {
  PlaybackFixture f;
  fx::write_wav(f.dir.file("short.wav"), fx::reference_pcm(44100, 2, 16, 2000));
  ASSERT_TRUE(f.add(f.dir.file("short.wav")));
  f.select(SoundMode::Green2, 1);
  f.output.asio_device = 0;
  g_watched = &f.playback;
  g_priority_at_first_read = 0;
  f.player.tracks.get_data = [](std::uint32_t s, void* b, std::uint32_t n) {
    int unseen = 0;
    g_priority_at_first_read.compare_exchange_strong(unseen, g_watched.load()->worker_priority.load());
    return audiolib::BASS_ChannelGetData(s, b, n);
  };
  start_playback(f.player, 0);
  ASSERT_TRUE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_EQ(g_priority_at_first_read.load(), platform::kPriorityNormal);
  EXPECT_EQ(f.playback.worker_priority.load(), platform::kPriorityBelowNormal);  // once the device runs
  stop_playback(f.player, 0);
}

TEST(Playback, StopBetweenFillsLeavesEveryBufferZero) {
  PlaybackFixture f;
  ASSERT_TRUE(f.add(long_file(f.dir, engine::kBlockFrames + 1000)));
  f.select(SoundMode::Green1, 0);
  f.output.asio_device = 0;  // Null output: real time, so the second block waits
  start_playback(f.player, 0);
  ASSERT_TRUE(audiolib::BASS_ASIO_IsStarted());
  while (f.playback.output[1].fill_length.load() == 0) platform::sleep_ms(5);  // both fills done
  stop_playback(f.player, 0);
  EXPECT_FALSE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_FALSE(f.player.engine_thread.is_running());
  EXPECT_EQ(f.playback.engine_run_state, engine::kEngineIdle);
  EXPECT_EQ(f.playback.output_rate, 0);
  expect_every_buffer_zero(f.buffers);
}

TEST(Playback, ATrackThatDecodesToNothingEndsTheStartWithCrushNotAHang) {
  PlaybackFixture f;
  fx::Pcm empty;
  fx::write_wav(f.dir.file("empty.wav"), empty);
  if (!f.add(f.dir.file("empty.wav"))) GTEST_SKIP() << "an empty WAV file is refused when added";
  f.output.asio_device = 0;
  start_playback(f.player, 0);
  EXPECT_EQ(f.ui.gadget_text(ids::kRateDisplay), "Crush");
  EXPECT_EQ(f.loader.playing_page, 0);
  EXPECT_FALSE(audiolib::BASS_ASIO_IsStarted());
}

::testing::AssertionResult same_samples(const std::vector<float>& got, const std::vector<float>& expected) {
  if (got.size() != expected.size())
    return ::testing::AssertionFailure() << got.size() / 2 << " frames instead of " << expected.size() / 2;
  if (std::memcmp(got.data(), expected.data(), got.size() * 4) != 0)
    return ::testing::AssertionFailure() << "other samples";
  return ::testing::AssertionSuccess();
}

// A FLAC file whose header is intact and whose audio is all zeros: it opens, and
// decodes to nothing.
std::string flac_without_audio(const fx::TempDir& dir, const std::string& name) {
  const std::string path = fx::make_fixture(dir, name, fx::Encoder::Flac, fx::reference_pcm(44100, 2, 16, 44100));
  std::vector<char> bytes = read_bytes(path);
  std::size_t at = 4;  // "fLaC", then metadata blocks, the last one flagged
  for (bool last = false; !last && at + 4 <= bytes.size();) {
    last = (static_cast<unsigned char>(bytes[at]) & 0x80) != 0;
    at += 4 + (static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 1])) << 16 |
               static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 2])) << 8 |
               static_cast<unsigned char>(bytes[at + 3]));
  }
  std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(std::min(at, bytes.size())), bytes.end(), 0);
  FILE* out = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
  return path;
}

// Tracks that open but give no audio are passed over like empty ones, and what was
// gathered before them is played whole, with the filters' tail.
TEST(Playback, TracksThatDecodeToNothingArePassedOverAndNothingBeforeThemIsLost) {
  PlaybackFixture f;
  fx::write_wav(f.dir.file("a.wav"), fx::reference_pcm(44100, 2, 16, 30'000));
  fx::write_wav(f.dir.file("b.wav"), fx::reference_pcm(44100, 2, 16, 20'000));
  const std::string a = f.dir.file("a.wav");
  const std::string b = f.dir.file("b.wav");
  const std::string broken = flac_without_audio(f.dir, "broken.flac");
  const auto render = [&](std::initializer_list<std::string> files) {
    f.playlist.set_visible_page(1);
    f.playlist.clear_page();
    for (const std::string& file : files) EXPECT_TRUE(f.add(file)) << file;
    f.select(SoundMode::Red1, 1);
    return f.render(f.dir.file("out.wav"));
  };
  const std::vector<float> a_then_b = render({a, b});
  const std::vector<float> a_only = render({a});
  const std::vector<float> b_only = render({b});
  ASSERT_FALSE(a_then_b.empty());
  EXPECT_TRUE(same_samples(render({a, broken, broken, b}), a_then_b));
  EXPECT_TRUE(same_samples(render({a, broken}), a_only));  // the end of a, filters' tail and all
  EXPECT_TRUE(same_samples(render({broken, broken, b}), b_only));
  EXPECT_TRUE(render({broken, broken}).empty());  // nothing to play: the start fails
  EXPECT_EQ(f.ui.gadget_text(ids::kRateDisplay), "Crush");
}

TEST(Playback, TheEndOfThePlaylistStopsAndIdles) {
  PlaybackFixture f;
  fx::write_wav(f.dir.file("short.wav"), fx::reference_pcm(44100, 2, 16, 2000));
  ASSERT_TRUE(f.add(f.dir.file("short.wav")));
  f.output.asio_device = 0;
  start_playback(f.player, 0);
  ASSERT_TRUE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_EQ(f.loader.playing_page, -1);  // the engine has already read past the last track
  f.play_to_end(1000);
  EXPECT_FALSE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_EQ(f.loader.playing_page, 0);
  EXPECT_TRUE(f.queue.empty());
  EXPECT_EQ(f.ui.gadget_text(ids::kRateDisplay), "0");
  EXPECT_EQ(f.ui.gadget_back_colour(ids::kPlayButton), platform::kNavy);
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Four blocks through the engine thread, with carries, read-ahead and filter tails,
// give bit for bit what the whole stream gives in one pass.
TEST(Playback, WhiteX4WithLpfBrownOverFourBlocksEqualsOnePass) {
  PlaybackFixture f;
  const std::int64_t frames = 3 * std::int64_t{engine::kBlockFrames} + 12'345;
  fx::Pcm pcm;
  pcm.rate = 44100;
  pcm.samples.reserve(static_cast<std::size_t>(2 * frames));
  for (std::int64_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i);
    pcm.samples.push_back(static_cast<std::int32_t>(9000 * std::sin(t * 0.0123) + 4000 * std::sin(t * 0.31)));
    pcm.samples.push_back(static_cast<std::int32_t>(9000 * std::cos(t * 0.0071) - 3000 * std::sin(t * 0.97)));
  }
  fx::write_wav(f.dir.file("long.wav"), pcm);
  ASSERT_TRUE(f.add(f.dir.file("long.wav")));
  f.select(SoundMode::White4, 3);
  const std::vector<float> rendered = f.render(f.dir.file("out.wav"));

  const std::vector<float> source = test::as_floats(pcm);
  const std::vector<engine::Frame> one_pass = engine::process_stream(
      {reinterpret_cast<const engine::Frame*>(source.data()), static_cast<std::size_t>(frames)},
      SoundMode::White4, 3, engine::tables_of(f.buffers), f.playback.processor_count.load());
  ASSERT_EQ(rendered.size(), one_pass.size() * 2);
  EXPECT_EQ(std::memcmp(rendered.data(), one_pass.data(), rendered.size() * 4), 0);
}
#endif

}  // namespace
}  // namespace sonvale::output
