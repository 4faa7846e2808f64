// The ALSA stream's recovery from the faults of real cards, played through the ASIO
// path with a PCM of our own behind the stream: an underrun, a suspend, a card that
// cannot resume, a card that takes part of a write, a card that vanishes, a write that
// never returns.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>

#include "audiolib/alsa_stream.h"
#include "audiolib/asio.h"
#include "audiolib/device_catalog.h"
#include "device_test_support.h"

namespace sonvale::audiolib {
namespace {

using test::eventually;
using test::Feeder;

constexpr unsigned kPeriod = 512;

// What happens at one write. The writes without a fault of their own are taken.
enum class Fault { Underrun, Suspend, SuspendForGood, Short, Vanish, Block };

// What the PCM was given and did, shared with the test: the stream that owns the PCM
// may outlive the test's hold on it.
struct PcmLog {
  std::mutex lock;
  std::condition_variable changed;
  std::vector<float> played;  // every frame the device took, in order
  int prepares = 0;
  int resumes = 0;
  bool release_block = false;
  bool blocked = false;

  std::size_t frames_played() {
    std::lock_guard hold(lock);
    return played.size() / 2;
  }
};

// A PCM that fails as a card does. Once faulted, it keeps failing until the stream
// recovers it as the card would need: prepare() after an underrun, resume() after a
// suspend (which answers EAGAIN `busy_resumes` times first), prepare() after a suspend
// it cannot resume from (ENOSYS); a vanished card answers ENODEV for ever. A short
// write takes half of what it is offered.
class FaultyPcm final : public alsa::PcmPort {
 public:
  FaultyPcm(std::shared_ptr<PcmLog> log, std::deque<std::pair<int, Fault>> faults, int busy_resumes = 0)
      : log_(std::move(log)), faults_(std::move(faults)), busy_resumes_(busy_resumes) {}

  DeviceStatus open(const std::string&, const std::string&) override {
    open_ = true;
    return DeviceStatus::fine();
  }
  void close() override { open_ = false; }
  bool is_open() const override { return open_; }
  std::optional<alsa::PcmLayout> find_layout(unsigned, std::span<const DeviceFormat>) override {
    return alsa::PcmLayout{DeviceFormat::Float32, 2};
  }
  DeviceStatus set_up(unsigned rate, alsa::PcmLayout layout, const StreamRequest&, StreamSetup* setup) override {
    *setup = StreamSetup{rate, layout.format, layout.channels, kPeriod, 4 * kPeriod};
    return DeviceStatus::fine();
  }
  long write(const void* data, unsigned long frames) override {
    std::unique_lock hold(log_->lock);
    if (state_ != 0) return state_;
    if (!faults_.empty() && faults_.front().first == writes_) {
      const Fault fault = faults_.front().second;
      faults_.pop_front();
      switch (fault) {
        case Fault::Underrun:
          return state_ = -EPIPE;
        case Fault::Suspend:
          return state_ = -ESTRPIPE;
        case Fault::SuspendForGood:
          cannot_resume_ = true;
          return state_ = -ESTRPIPE;
        case Fault::Short:
          frames = std::max(1ul, frames / 2);
          break;
        case Fault::Vanish:
          return state_ = -ENODEV;
        case Fault::Block:
          log_->blocked = true;
          log_->changed.notify_all();
          log_->changed.wait(hold, [&] { return log_->release_block; });
          break;
      }
    }
    ++writes_;
    const auto* samples = static_cast<const float*>(data);
    log_->played.insert(log_->played.end(), samples, samples + 2 * frames);
    return static_cast<long>(frames);
  }
  int wait(int) override {
    std::lock_guard hold(log_->lock);
    return state_;
  }
  int prepare() override {
    std::lock_guard hold(log_->lock);
    ++log_->prepares;
    if (state_ == -ENODEV) return -ENODEV;
    state_ = 0;
    return 0;
  }
  int resume() override {
    std::lock_guard hold(log_->lock);
    ++log_->resumes;
    if (state_ != -ESTRPIPE) return -EBADFD;
    if (cannot_resume_) return -ENOSYS;
    if (busy_resumes_-- > 0) return -EAGAIN;
    state_ = 0;
    return 0;
  }

 private:
  std::shared_ptr<PcmLog> log_;
  std::deque<std::pair<int, Fault>> faults_;  // (write number, fault), in order; under log_->lock
  int busy_resumes_;
  bool cannot_resume_ = false;  // under log_->lock
  bool open_ = false;
  int writes_ = 0;  // writes taken; under log_->lock
  long state_ = 0;  // 0, or the error the card answers until it is recovered; under log_->lock
};

class AlsaStreamFaults : public ::testing::Test {
 protected:
  void TearDown() override {
    BASS_ASIO_Stop();
    BASS_ASIO_Free();
  }

  // Plays the source through an ALSA stream over a PCM that faults as given.
  void play(std::deque<std::pair<int, Fault>> faults, int busy_resumes = 0) {
    // The driver lives on in the catalogue; only the streams it makes hold the log.
    const int driver = asio_add_stream_driver("faulty card", [=, log = std::weak_ptr<PcmLog>(log_)] {
      return std::make_shared<AlsaStream>("hw:9,0", "", AlsaStream::Kind::Native,
                                          std::make_unique<FaultyPcm>(log.lock(), faults, busy_resumes));
    });
    ASSERT_TRUE(BASS_ASIO_Init(driver, kAsioThread));
    ASSERT_TRUE(BASS_ASIO_SetRate(48000));
    ASSERT_TRUE(BASS_ASIO_ChannelEnable(false, 0, &Feeder::asio, &feeder_));
    ASSERT_TRUE(BASS_ASIO_ChannelJoin(false, 1, 0));
    ASSERT_TRUE(BASS_ASIO_Start(0));
  }

  // The frames the card took are the source's first ones, in order, none twice.
  void expect_played_in_order(std::size_t at_least_frames) {
    std::lock_guard hold(log_->lock);
    ASSERT_GE(log_->played.size(), 2 * at_least_frames);
    const std::size_t n = std::min(log_->played.size(), source_.size());
    EXPECT_EQ(std::memcmp(log_->played.data(), source_.data(), n * sizeof(float)), 0);
  }

  static std::vector<float> numbered(std::size_t frames) {
    std::vector<float> samples(2 * frames);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<float>(i + 1);
    return samples;
  }

  std::vector<float> source_ = numbered(20 * kPeriod);
  Feeder feeder_{source_};
  std::shared_ptr<PcmLog> log_ = std::make_shared<PcmLog>();
};

TEST_F(AlsaStreamFaults, AnUnderrunIsPreparedAndTheSameFramesWrittenAgain) {
  play({{3, Fault::Underrun}, {7, Fault::Underrun}});
  ASSERT_TRUE(eventually([&] { return log_->frames_played() >= source_.size() / 2; }));
  EXPECT_TRUE(BASS_ASIO_IsStarted());
  expect_played_in_order(source_.size() / 2);
  std::lock_guard hold(log_->lock);
  EXPECT_EQ(log_->prepares, 2);
}

TEST_F(AlsaStreamFaults, ASuspendedCardIsResumedOnceItIsReady) {
  play({{4, Fault::Suspend}}, 3);
  ASSERT_TRUE(eventually([&] { return log_->frames_played() >= source_.size() / 2; }));
  EXPECT_TRUE(BASS_ASIO_IsStarted());
  expect_played_in_order(source_.size() / 2);
  std::lock_guard hold(log_->lock);
  EXPECT_EQ(log_->resumes, 4);  // three times "not yet", then resumed
  EXPECT_EQ(log_->prepares, 0);
}

TEST_F(AlsaStreamFaults, ACardThatCannotResumeIsPreparedInstead) {
  play({{4, Fault::SuspendForGood}});
  ASSERT_TRUE(eventually([&] { return log_->frames_played() >= source_.size() / 2; }));
  EXPECT_TRUE(BASS_ASIO_IsStarted());
  expect_played_in_order(source_.size() / 2);
  std::lock_guard hold(log_->lock);
  EXPECT_EQ(log_->resumes, 1);
  EXPECT_EQ(log_->prepares, 1);
}

TEST_F(AlsaStreamFaults, ShortWritesLoseAndRepeatNothing) {
  play({{1, Fault::Short}, {2, Fault::Short}, {3, Fault::Short}, {6, Fault::Short}});
  ASSERT_TRUE(eventually([&] { return log_->frames_played() >= source_.size() / 2; }));
  EXPECT_TRUE(BASS_ASIO_IsStarted());
  expect_played_in_order(source_.size() / 2);
}

TEST_F(AlsaStreamFaults, ACardThatVanishesEndsPlaybackAndSaysWhy) {
  play({{5, Fault::Vanish}});
  ASSERT_TRUE(eventually([] { return !BASS_ASIO_IsStarted(); }));
  EXPECT_NE(asio_last_error().find("No such device"), std::string::npos) << asio_last_error();
  EXPECT_EQ(log_->frames_played(), 5 * kPeriod);
  expect_played_in_order(5 * kPeriod);
  const int calls = feeder_.calls();
  EXPECT_TRUE(BASS_ASIO_Stop());
  EXPECT_EQ(feeder_.calls(), calls);
}

TEST_F(AlsaStreamFaults, AWriteThatNeverReturnsIsGivenUpAtStop) {
  play({{6, Fault::Block}});
  ASSERT_TRUE(eventually([&] {
    std::lock_guard hold(log_->lock);
    return log_->blocked;
  }));
  EXPECT_TRUE(BASS_ASIO_Stop());  // returns although the write does not
  EXPECT_FALSE(BASS_ASIO_IsStarted());
  expect_played_in_order(6 * kPeriod);
  const int calls = feeder_.calls();
  EXPECT_TRUE(BASS_ASIO_Free());

  // When the card lets go at last, the thread given up ends without asking for more.
  std::weak_ptr<PcmLog> held = log_;
  {
    std::lock_guard hold(log_->lock);
    log_->release_block = true;
    log_->changed.notify_all();
  }
  log_.reset();
  EXPECT_TRUE(eventually([&] { return held.expired(); }));
  EXPECT_EQ(feeder_.calls(), calls);
}

}  // namespace
}  // namespace sonvale::audiolib
