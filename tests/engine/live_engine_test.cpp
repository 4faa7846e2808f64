// The capture buffer and the live engine of the input mode, over the player's real
// sample buffers, with the test standing in for the recording and the device.
#include "engine/live_engine_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/block_processing.h"
#include "engine/capture_buffer.h"
#include "engine/kernel_tables.h"
#include "engine/stage_chain.h"
#include "platform/time.h"
#include "test_signals.h"

namespace sonvale::engine {
namespace {

SampleBuffers& shared_buffers() {
  static SampleBuffers* buffers = [] {
    auto* b = new SampleBuffers;
    b->reserve();
    build_kernel_tables(*b, kKernelHalfWidth);
    install_filter_tables(*b);
    return b;
  }();
  return *buffers;
}

std::byte* capture() { return shared_buffers().bytes(Buffer::Capture); }

// Polls `condition` every millisecond; false only after a long hang guard.
template <class Condition>
bool eventually(Condition condition) {
  for (int waited = 0; !condition(); ++waited) {
    if (waited > 600'000) return false;
    platform::sleep_ms(1);
  }
  return true;
}

// A live engine running in `mode` from a clean start, as Start live output leaves
// the state for it.
class LiveRun {
 public:
  LiveRun(SoundMode mode, int post_filter, int x2_variant = 0) {
    SampleBuffers& buffers = shared_buffers();
    buffers.zero_sample_buffers();
    const SoundModeInfo& info = info_of(mode);
    state_.rate_multiplier = info.multiplier;
    state_.output_rate = 44100 * info.multiplier;
    state_.x1_variant = info.multiplier == 1 ? info.variant : 0;
    state_.x2_variant = static_cast<std::int8_t>(x2_variant);
    state_.x4_variant = info.multiplier == 4 ? info.variant : 3;
    state_.post_filter = static_cast<std::int8_t>(post_filter);
    state_.processor_count = 2;
    state_.engine_run_state = kEngineRunning;
    state_.fill_selector = 1;
    thread_ = std::thread([this] {
      run_live_engine_thread(context_, shared_buffers(), [this](int value) {
        std::lock_guard guard(bar_lock_);
        bar_.push_back(value);
      });
    });
  }
  ~LiveRun() { stop(); }

  void stop() {
    state_.stop_request = 1;
    if (thread_.joinable()) thread_.join();
  }

  bool append(const std::vector<Frame>& frames) {
    return append_capture(state_, capture(), frames.data(), static_cast<std::uint32_t>(frames.size() * 8));
  }
  std::vector<int> bar() {
    std::lock_guard guard(bar_lock_);
    return bar_;
  }
  // The block published in output buffer 1 or 2.
  std::vector<Frame> published(int which) {
    const std::int32_t bytes = state_.output_buffer(which).fill_length.load();
    const auto* first = reinterpret_cast<const Frame*>(
        shared_buffers().bytes(which == 1 ? Buffer::Output1 : Buffer::Output2));
    return {first, first + bytes / 8};
  }

  PlaybackState state_;

 private:
  RangeTables ranges_;
  WorkerPool pool_;
  EngineContext context_{memory_of(shared_buffers()), state_, ranges_, pool_};
  std::mutex bar_lock_;
  std::vector<int> bar_;
  std::thread thread_;
};

std::vector<Frame> slice(const std::vector<Frame>& frames, std::size_t from, std::size_t count) {
  return {frames.begin() + static_cast<std::ptrdiff_t>(from), frames.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

bool same_bits(const std::vector<Frame>& a, const std::vector<Frame>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * 8) == 0;
}

constexpr std::size_t kThresholdFrames = (kTakeThreshold + 7) / 8;  // the first whole frame count that reaches it

TEST(CaptureBuffer, ABlockThatWouldPassAFullBufferIsDroppedWhole) {
  PlaybackState state;
  std::vector<std::byte> buffer(kBlockBytes + 64, std::byte{0x55});
  std::vector<std::byte> block(400, std::byte{0x11});
  state.capture_fill = kBlockBytes - 200;
  EXPECT_FALSE(append_capture(state, buffer.data(), block.data(), 400));
  EXPECT_EQ(state.capture_fill, kBlockBytes - 200);
  EXPECT_EQ(buffer[kBlockBytes - 200], std::byte{0x55});
  EXPECT_TRUE(append_capture(state, buffer.data(), block.data(), 200));  // exactly full
  EXPECT_EQ(state.capture_fill, kBlockBytes);
  EXPECT_FALSE(append_capture(state, buffer.data(), block.data(), 8));
  EXPECT_EQ(buffer[kBlockBytes], std::byte{0x55});

  std::vector<std::byte> taken(kBlockBytes);
  EXPECT_EQ(take_capture(state, buffer.data(), taken.data()), kBlockBytes);
  EXPECT_EQ(taken[kBlockBytes - 1], std::byte{0x11});
  EXPECT_EQ(state.capture_fill, 0);
  EXPECT_EQ(buffer[kBlockBytes - 1], std::byte{0});  // emptied
  EXPECT_EQ(buffer[kBlockBytes], std::byte{0x55});
}

TEST(LiveEngine, ComputesOnlyTheLiveModes) {
  EXPECT_EQ(live_sound_mode(1, 0, 3), SoundMode::Green1);
  EXPECT_EQ(live_sound_mode(1, 1, 3), SoundMode::Red1);
  for (int x2 : {0, 1, 2}) EXPECT_EQ(live_sound_mode(2, x2, 3), SoundMode::Green2);
  EXPECT_EQ(live_sound_mode(4, 0, 0), SoundMode::Green4);
  EXPECT_EQ(live_sound_mode(4, 0, 1), SoundMode::Red4);
  EXPECT_FALSE(live_sound_mode(4, 0, 2));  // Brown x 4
  EXPECT_FALSE(live_sound_mode(4, 0, 3));
  EXPECT_FALSE(live_sound_mode(1, 2, 3));
  EXPECT_FALSE(live_sound_mode(0, 0, 0));
  EXPECT_FALSE(live_sound_mode(3, 0, 0));
}

// Green x 1: the first block is exactly the captured frames, taken as soon as the
// fill reaches the threshold and not a frame before; the bar shows 598 just before.
TEST(LiveEngine, TakesTheFirstBlockWhenTheFillReachesTheThreshold) {
  LiveRun run(SoundMode::Green1, 0);
  const std::vector<Frame> signal = test::noise(kThresholdFrames, 7);
  ASSERT_TRUE(run.append(slice(signal, 0, kThresholdFrames - 1)));
  // Two looks at the fill, both after it stood one frame short.
  ASSERT_TRUE(eventually([&] {
    const std::vector<int> bar = run.bar();
    return std::count(bar.begin(), bar.end(), 598) >= 2;
  }));
  EXPECT_EQ(run.state_.first_fill_count, 0);
  EXPECT_EQ(run.state_.capture_fill, kTakeThreshold - 4);

  ASSERT_TRUE(run.append(slice(signal, kThresholdFrames - 1, 1)));
  ASSERT_TRUE(eventually([&] { return run.state_.first_fill_count.load() != 0; }));
  EXPECT_EQ(run.state_.first_fill_count, kTakeThreshold + 4);
  EXPECT_TRUE(same_bits(run.published(1), signal));
  // The last look before the take showed 598; later ones belong to the next block,
  // which waits on an empty buffer.
  run.stop();
  const std::vector<int> bar = run.bar();
  const auto last_598 = std::find(bar.rbegin(), bar.rend(), 598);
  ASSERT_NE(last_598, bar.rend());
  EXPECT_TRUE(std::all_of(bar.rbegin(), last_598, [](int value) { return value == 0; }));
  EXPECT_EQ(run.state_.capture_fill, 0);
  EXPECT_EQ(std::memcmp(capture(), std::vector<std::byte>(kTakeThreshold + 4).data(), kTakeThreshold + 4), 0);
}

// The first block of a processing mode, bit for bit what the whole engine computes
// for the same frames offline on one thread.
std::vector<Frame> first_live_block(const std::vector<Frame>& signal, SoundMode mode, int post_filter,
                                    int x2_variant = 0) {
  LiveRun run(mode, post_filter, x2_variant);
  if (!run.append(signal) || !eventually([&] { return run.state_.first_fill_count.load() != 0; })) return {};
  return run.published(1);
}

std::vector<Frame> offline(const std::vector<Frame>& signal, SoundMode mode, int post_filter) {
  const std::vector<Frame> whole = process_stream(signal, mode, post_filter, tables_of(shared_buffers()), 1);
  return slice(whole, 0, signal.size() * static_cast<std::size_t>(info_of(mode).multiplier));
}

TEST(LiveEngine, RedTimesOneWithLpfBrownIsTheOfflineEngineWithTheFilterOff) {
  if (test::kSanitized) GTEST_SKIP() << "full blocks take minutes under the sanitizers";
  const std::vector<Frame> signal = test::noise(kThresholdFrames + 33, 11);
  const std::vector<Frame> live = first_live_block(signal, SoundMode::Red1, kPostFilterHamming2047);
  ASSERT_EQ(live.size(), signal.size());
  EXPECT_TRUE(same_bits(live, offline(signal, SoundMode::Red1, kPostFilterOff)));
}

TEST(LiveEngine, EveryTimesTwoVariantComputesGreenTimesTwo) {
  if (test::kSanitized) GTEST_SKIP() << "full blocks take minutes under the sanitizers";
  const std::vector<Frame> signal = test::noise(kThresholdFrames, 12);
  EXPECT_TRUE(same_bits(first_live_block(signal, SoundMode::Green2, kPostFilterHamming255, 1),
                        offline(signal, SoundMode::Green2, kPostFilterHamming255)));
  EXPECT_TRUE(same_bits(first_live_block(signal, SoundMode::Green2, kPostFilterBlackman255, 2),
                        offline(signal, SoundMode::Green2, kPostFilterBlackman255)));
}

// A take of exactly one block hands its last lead-in to the next block, whose output
// then continues the signal as if it had been computed whole; a smaller take leaves
// the next block a lead-in of silence.
TEST(LiveEngine, AFullTakeGivesTheNextBlockARealLeadInASmallerOneZeroesIt) {
  if (test::kSanitized) GTEST_SKIP() << "full blocks take minutes under the sanitizers";
  const SoundMode mode = SoundMode::Green2;
  const std::vector<Frame> signal = test::noise(kBlockFrames + kThresholdFrames, 13);
  LiveRun run(mode, kPostFilterOff);
  ASSERT_TRUE(run.append(slice(signal, 0, kBlockFrames)));
  ASSERT_TRUE(eventually([&] { return run.state_.first_fill_count.load() != 0; }));
  const std::int64_t lead = lead_in_bytes(mode) / 8;
  const FrameBuffer carry = memory_of(shared_buffers()).carry;
  EXPECT_EQ(std::memcmp(carry.data, &signal[kBlockFrames - lead], lead * 8), 0);

  ASSERT_TRUE(run.append(slice(signal, kBlockFrames, kThresholdFrames)));
  ASSERT_TRUE(eventually([&] { return run.state_.first_fill_count.load() == 2 * kThresholdFrames * 8; }));
  const std::vector<Frame> whole = offline(signal, mode, kPostFilterOff);
  EXPECT_TRUE(same_bits(run.published(2), slice(whole, 2 * kBlockFrames, 2 * kThresholdFrames)));
  run.stop();
  EXPECT_TRUE(std::all_of(carry.data, carry.frame(carry.frames), [](float x) { return x == 0.0f; }));
}

// The device's side, as the feed callback treats the output buffers: it reads the
// active one whole, then moves on to the other once the engine has filled it.
class Device {
 public:
  explicit Device(PlaybackState& state) : state_(state) {}

  // Reads what is there; returns the blocks read so far.
  int serve(std::vector<Frame>& heard) {
    const int which = state_.active_output.load() == kDeviceReadsOutput2 ? 2 : 1;
    OutputHandover& active = state_.output_buffer(which);
    if (active.read_position.load() == 0 && active.fill_length.load() > 0) {
      const std::int32_t bytes = active.fill_length.load();
      const auto* first = reinterpret_cast<const Frame*>(
          shared_buffers().bytes(which == 1 ? Buffer::Output1 : Buffer::Output2));
      heard.insert(heard.end(), first, first + bytes / 8);
      active.read_position = bytes;
      ++blocks_;
    }
    if (state_.output_buffer(3 - which).read_position.load() == 0 &&
        state_.output_buffer(3 - which).fill_length.load() > 0)
      state_.active_output = which == 1 ? kDeviceReadsOutput2 : kDeviceReadsOutput1;
    return blocks_;
  }

 private:
  PlaybackState& state_;
  int blocks_ = 0;
};

// A capture thread as fast as it goes against the real live engine: every frame the
// capture buffer accepted comes out once, in order; none is lost, none taken twice.
TEST(LiveEngine, AppendingAndTakingNeverInterleave) {
  constexpr int kBlocks = 4;
  constexpr std::uint32_t kPieceFrames = 441;
  LiveRun run(SoundMode::Green1, 0);
  std::atomic<bool> done{false};
  std::vector<float> accepted;  // the producer's alone until it is joined
  std::thread producer([&] {
    std::vector<Frame> piece(kPieceFrames);
    for (std::uint32_t next = 1; !done.load(); next += kPieceFrames) {
      if (next > (1u << 24) - kPieceFrames) next = 1;  // stays exact in float
      for (std::uint32_t i = 0; i < kPieceFrames; ++i)
        piece[i] = {static_cast<float>(next + i), -static_cast<float>(next + i)};
      if (run.append(piece))
        for (const Frame& f : piece) accepted.push_back(f.left);
      std::this_thread::yield();
    }
  });

  Device device(run.state_);
  std::vector<Frame> heard;
  ASSERT_TRUE(eventually([&] { return run.state_.first_fill_count.load() != 0; }));
  run.state_.active_output = kDeviceReadsOutput1;  // as Start live output does once primed
  ASSERT_TRUE(eventually([&] { return device.serve(heard) >= kBlocks; }));
  run.stop();
  done = true;
  producer.join();

  ASSERT_GE(heard.size(), kBlocks * kThresholdFrames);
  ASSERT_GE(accepted.size(), heard.size());
  for (std::size_t i = 0; i < heard.size(); ++i) {
    ASSERT_EQ(heard[i].left, accepted[i]) << "frame " << i;
    ASSERT_EQ(heard[i].right, -accepted[i]) << "frame " << i;
  }
}

}  // namespace
}  // namespace sonvale::engine
