// The device feed callback: buffer switching, starvation and the play queue.

#include "output/feed.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace sonvale::output {
namespace {

using engine::Buffer;

class FeedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    buffers_.reserve([](std::size_t) { return platform::Reservation::reserve_zeroed(1 << 16); });
    playback_.rate_multiplier = 1;
    playback_.active_output = engine::kDeviceReadsOutput1;
  }

  // What the engine does after producing a block into output buffer `which`:
  // samples numbered from `first`, then the publication.
  void engine_fills(int which, int bytes, float first) {
    float* samples = buffers_.samples(which == 1 ? Buffer::Output1 : Buffer::Output2);
    for (int i = 0; i < bytes / 4; ++i) samples[i] = first + static_cast<float>(i);
    engine::publish_fill(playback_, which, bytes);
  }

  std::vector<float> request(std::uint32_t bytes, std::uint32_t* served = nullptr) {
    std::vector<float> out(bytes / 4, -1.0f);
    const std::uint32_t n = feed_device(feed_, out.data(), bytes);
    if (served != nullptr) *served = n;
    out.resize(n / 4);
    return out;
  }

  engine::SampleBuffers buffers_;
  engine::PlaybackState playback_;
  loading::PlayQueue queue_;
  Feed feed_{buffers_, playback_, queue_};
};

TEST_F(FeedTest, ReadsOnInTheActiveBuffer) {
  engine_fills(1, 4096, 0);
  engine_fills(2, 4096, 1000);
  const auto a = request(1024);
  const auto b = request(1024);
  ASSERT_EQ(a.size(), 256u);
  EXPECT_EQ(a.front(), 0.0f);
  EXPECT_EQ(b.front(), 256.0f);
  EXPECT_EQ(playback_.output[0].read_position, 2048);
  EXPECT_EQ(playback_.active_output, engine::kDeviceReadsOutput1);
}

TEST_F(FeedTest, ARequestOfExactlyTheBytesLeftSwitchesAndLeavesTheNewReadPositionZero) {
  engine_fills(1, 4096, 0);
  engine_fills(2, 4096, 1000);
  request(3072);
  std::uint32_t served = 0;
  request(1024, &served);
  EXPECT_EQ(served, 1024u);
  EXPECT_EQ(playback_.active_output, engine::kDeviceReadsOutput2);
  EXPECT_EQ(playback_.output[1].read_position, 0);
  EXPECT_EQ(playback_.output[0].fill_length, playback_.output[0].read_position);  // drained
  // The next request starts at the other buffer's first sample.
  EXPECT_EQ(request(8).front(), 1000.0f);
}

TEST_F(FeedTest, ARequestAcrossTheEndContinuesInTheRefilledBuffer) {
  engine_fills(1, 4096, 0);
  engine_fills(2, 4096, 1000);
  request(3072);
  const auto across = request(2048);
  ASSERT_EQ(across.size(), 512u);
  EXPECT_EQ(across[255], 1023.0f);
  EXPECT_EQ(across[256], 1000.0f);
  EXPECT_EQ(playback_.output[1].read_position, 1024);
  EXPECT_EQ(playback_.active_output, engine::kDeviceReadsOutput2);
}

TEST_F(FeedTest, AStarvedEngineGetsLessThenNothingThenTheNextBlock) {
  engine_fills(1, 4096, 0);
  engine_fills(2, 4096, 1000);
  request(4096 + 1024);  // buffer 1 whole, then 1 KiB of buffer 2
  std::uint32_t served = 0;
  request(4096, &served);  // the rest of buffer 2 only: buffer 1 has not been refilled
  EXPECT_EQ(served, 3072u);
  request(1024, &served);
  EXPECT_EQ(served, 0u);
  engine_fills(1, 4096, 5000);  // the engine catches up
  const auto next = request(1024, &served);
  EXPECT_EQ(served, 1024u);
  EXPECT_EQ(next.front(), 5000.0f);
  EXPECT_EQ(playback_.active_output, engine::kDeviceReadsOutput1);
}

TEST_F(FeedTest, AdvancesThePlayQueueByTheRequestAtTheSourceRate) {
  engine_fills(1, 8192, 0);
  playback_.rate_multiplier = 4;
  queue_.append("A", "one", 1000, 0);
  queue_.append("B", "two", 2000, 0);
  request(3000);  // 750 source bytes
  EXPECT_EQ(queue_.front()->bytes_played, 750);
  request(1600);  // 400 more: 150 past the first record
  ASSERT_TRUE(queue_.front().has_value());
  EXPECT_EQ(queue_.front()->line1, "B");
  EXPECT_EQ(queue_.front()->bytes_played, 150);
}

TEST_F(FeedTest, TheQueueFollowsTheRequestsEvenWhenNothingIsDelivered) {
  queue_.append("A", "one", 100000, 0);
  std::uint32_t served = 0;
  request(4096, &served);
  EXPECT_EQ(served, 0u);
  EXPECT_EQ(queue_.front()->bytes_played, 4096);
  // A device that only takes what it is given counts what it got.
  feed_.count_delivered = true;
  request(4096, &served);
  EXPECT_EQ(queue_.front()->bytes_played, 4096);
}

}  // namespace
}  // namespace sonvale::output
