// The hand-over of the output buffers when the engine falls behind the device: a
// device whose periods the test lets through one at a time, and an engine held back
// on its second block.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "audiolib/asio.h"
#include "audiolib/bass.h"
#include "audiolib/device_catalog.h"
#include "output/start_playback.h"
#include "output/stop_playback.h"
#include "playback_fixture.h"

namespace sonvale::output {
namespace {

using test::PlaybackFixture;
namespace fx = sonvale::test;

constexpr unsigned kPeriodFrames = 1 << 18;

// What the device was given, and how many periods it may take. Shared by the test
// and the device made for each Init.
struct DeviceGate {
  std::mutex lock;
  std::condition_variable changed;
  int allowed = 0;   // periods the device may take
  int entered = 0;   // writes begun: the feed has been called for each
  bool free_running = false;
  std::vector<float> heard;
  std::size_t keep = 0;  // samples of `heard` worth keeping

  void reset() {
    std::lock_guard hold(lock);
    allowed = entered = 0;
    free_running = false;
    heard.clear();
  }
  void run_free() {
    std::lock_guard hold(lock);
    free_running = true;
    changed.notify_all();
  }
  // Lets one more period through and waits until the feed has been asked for the next.
  void step() {
    std::unique_lock hold(lock);
    ++allowed;
    changed.notify_all();
    changed.wait(hold, [&] { return entered > allowed; });
  }
  void wait_for_first_write() {
    std::unique_lock hold(lock);
    changed.wait(hold, [&] { return entered > 0; });
  }
};

class GatedDevice final : public audiolib::DeviceStream {
 public:
  explicit GatedDevice(DeviceGate& gate) : gate_(gate) {}

  audiolib::DeviceStatus open() override {
    open_ = true;
    return audiolib::DeviceStatus::fine();
  }
  void close() override { open_ = false; }
  bool is_open() const override { return open_; }
  bool supports_rate(unsigned) override { return true; }
  audiolib::DeviceStatus configure(const audiolib::StreamRequest& request) override {
    setup_ = {request.rate, audiolib::DeviceFormat::Float32, 2, kPeriodFrames, 4 * kPeriodFrames};
    return audiolib::DeviceStatus::fine();
  }
  const audiolib::StreamSetup& setup() const override { return setup_; }
  long write(const std::byte* data, unsigned long frames) override {
    std::unique_lock hold(gate_.lock);
    const int period = gate_.entered++;
    gate_.changed.notify_all();
    gate_.changed.wait(hold, [&] { return gate_.free_running || period < gate_.allowed; });
    // Running free, the device takes silence as fast as it is given: enough of it
    // is kept to show the end.
    if (gate_.heard.size() < gate_.keep) {
      const auto* samples = reinterpret_cast<const float*>(data);
      gate_.heard.insert(gate_.heard.end(), samples, samples + 2 * frames);
    }
    return static_cast<long>(frames);
  }
  void wait(unsigned long, int) override {}

 private:
  DeviceGate& gate_;
  bool open_ = false;
  audiolib::StreamSetup setup_;
};

// The engine's reads past its first block wait while this is set.
std::atomic<bool> g_hold_engine{false};
std::atomic<bool> g_engine_held{false};

std::int32_t held_get_data(std::uint32_t stream, void* buffer, std::uint32_t bytes) {
  if (audiolib::BASS_ChannelGetPosition(stream, audiolib::kPositionBytes) >= engine::kBlockBytes) {
    g_engine_held = true;
    while (g_hold_engine.load()) std::this_thread::yield();
  }
  return audiolib::BASS_ChannelGetData(stream, buffer, bytes);
}

TEST(Handover, ADeviceThatRunsDryBeforeTheSecondBlockWaitsForItAndLosesNothing) {
  PlaybackFixture f;
  fx::Pcm pcm = fx::reference_pcm(44100, 2, 16, engine::kBlockFrames + 30'000);
  fx::write_wav(f.dir.file("long.wav"), pcm);
  ASSERT_TRUE(f.add(f.dir.file("long.wav")));
  const std::vector<float> source = test::as_floats(pcm);
  DeviceGate gate;
  gate.keep = source.size() + 64 * kPeriodFrames;
  f.output.asio_device = audiolib::asio_add_stream_driver(
      "gated", [&gate] { return std::make_shared<GatedDevice>(gate); });
  f.player.tracks.get_data = &held_get_data;

  // At the first start, and again after a stop.
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round == 0 ? "first start" : "after a stop");
    gate.reset();
    g_engine_held = false;
    g_hold_engine = true;
    struct LetGo {  // whatever happens, nothing is left waiting for the test
      DeviceGate& gate;
      ~LetGo() {
        g_hold_engine = false;
        gate.run_free();
      }
    } let_go{gate};

    start_playback(f.player, 0);
    ASSERT_TRUE(audiolib::BASS_ASIO_IsStarted());
    gate.wait_for_first_write();
    while (!g_engine_held.load()) std::this_thread::yield();

    // The device takes all of output buffer 1, then asks once more.
    const engine::OutputHandover& first = f.playback.output[0];
    while (first.read_position.load() != first.fill_length.load()) gate.step();
    gate.step();
    EXPECT_EQ(f.playback.active_output.load(), engine::kDeviceReadsOutput1)
        << "the device moved on into a buffer the engine has not filled";

    g_hold_engine = false;
    const engine::OutputHandover& second = f.playback.output[1];
    while (second.read_position.load() != 0 || second.fill_length.load() == 0) std::this_thread::yield();
    gate.run_free();
    // The period that carries block 2 is written before the device asks for the
    // one after the next; the end of playback may come between feeding and writing.
    while (second.read_position.load() != second.fill_length.load()) std::this_thread::yield();
    {
      std::unique_lock hold(gate.lock);
      const int drained_at = gate.entered;
      gate.changed.wait(hold, [&] { return gate.entered > drained_at + 1; });
    }
    f.play_to_end();
    // Block 1, silence while the engine was late, then block 2: every sample, in order.
    std::lock_guard hold(gate.lock);
    const std::size_t block = 2 * engine::kBlockFrames;
    ASSERT_GE(gate.heard.size(), source.size());
    EXPECT_EQ(std::memcmp(gate.heard.data(), source.data(), block * 4), 0);
    ASSERT_NE(source[block], 0.0f);  // so that the second block is told from the silence
    const auto resumed = std::find_if(gate.heard.begin() + static_cast<std::ptrdiff_t>(block), gate.heard.end(),
                                      [](float v) { return v != 0.0f; });
    const std::size_t rest = source.size() - block;
    ASSERT_GE(static_cast<std::size_t>(gate.heard.end() - resumed), rest);
    EXPECT_EQ(std::memcmp(&*resumed, source.data() + block, rest * 4), 0);
  }
}

}  // namespace
}  // namespace sonvale::output
