// Devices that fail in ways alsa-lib's null and file devices never do: held by
// another user, lost while playing, never ready, or stuck inside a write.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <thread>

#include "audiolib/asio.h"
#include "audiolib/device_catalog.h"
#include "device_test_support.h"

namespace sonvale::audiolib {
namespace {

using test::eventually;
using test::Feeder;

// Holds a write until released.
struct Gate {
  std::mutex lock;
  std::condition_variable changed;
  bool released = false;
  std::atomic<bool> entered{false};

  void pass() {
    entered = true;
    std::unique_lock<std::mutex> hold(lock);
    changed.wait(hold, [&] { return released; });
  }
  void release() {
    std::lock_guard<std::mutex> guard(lock);
    released = true;
    changed.notify_all();
  }
};

enum class Fault { Busy, LostAfterThreeWrites, NeverRoom, StuckInWrite };

class FaultyStream final : public DeviceStream {
 public:
  FaultyStream(Fault fault, Gate* gate) : fault_(fault), gate_(gate) {}

  DeviceStatus open() override {
    if (fault_ == Fault::Busy) return DeviceStatus::failure(-EBUSY, "test device: Device busy");
    open_ = true;
    return DeviceStatus::fine();
  }
  void close() override { open_ = false; }
  bool is_open() const override { return open_; }
  bool supports_rate(unsigned) override { return true; }
  DeviceStatus configure(const StreamRequest& request) override {
    setup_ = {request.rate, DeviceFormat::Float32, 2, 256, 1024};
    return DeviceStatus::fine();
  }
  const StreamSetup& setup() const override { return setup_; }
  long write(const std::byte*, unsigned long frames) override {
    switch (fault_) {
      case Fault::LostAfterThreeWrites:
        return ++writes_ > 3 ? -ENODEV : static_cast<long>(frames);
      case Fault::NeverRoom:
        return 0;
      case Fault::StuckInWrite:
        gate_->pass();
        return static_cast<long>(frames);
      default:
        return static_cast<long>(frames);
    }
  }
  void wait(unsigned long, int timeout_ms) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(timeout_ms));
  }

 private:
  Fault fault_;
  Gate* gate_;
  bool open_ = false;
  int writes_ = 0;
  StreamSetup setup_;
};

// Adds a driver of faulty streams; `made` keeps track of each one it makes.
int add_faulty_driver(Fault fault, Gate* gate = nullptr,
                      std::vector<std::weak_ptr<FaultyStream>>* made = nullptr) {
  return asio_add_stream_driver("faulty", [fault, gate, made] {
    auto stream = std::make_shared<FaultyStream>(fault, gate);
    if (made != nullptr) made->push_back(stream);
    return stream;
  });
}

bool start(int driver, Feeder& feeder) {
  return BASS_ASIO_Init(driver, kAsioThread) && BASS_ASIO_SetRate(44100) &&
         BASS_ASIO_ChannelEnable(false, 0, &Feeder::asio, &feeder) &&
         BASS_ASIO_ChannelJoin(false, 1, 0) && BASS_ASIO_Start(0);
}

void expect_no_further_calls(const Feeder& feeder) {
  const int calls = feeder.calls();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(feeder.calls(), calls);
}

TEST(AsioFailure, BusyDeviceFailsInit) {
  const int driver = add_faulty_driver(Fault::Busy);
  EXPECT_FALSE(BASS_ASIO_Init(driver, kAsioThread));
  EXPECT_NE(asio_last_error().find("Device busy"), std::string::npos);
  EXPECT_FALSE(BASS_ASIO_IsStarted());
  EXPECT_FALSE(BASS_ASIO_Free());
}

TEST(AsioFailure, DeviceLostWhilePlayingEndsTheThreadCleanly) {
  Feeder feeder(std::vector<float>(2 * 48000));
  ASSERT_TRUE(start(add_faulty_driver(Fault::LostAfterThreeWrites), feeder));
  EXPECT_TRUE(eventually([] { return !BASS_ASIO_IsStarted(); }));
  expect_no_further_calls(feeder);
  EXPECT_NE(asio_last_error().find("No such device"), std::string::npos) << asio_last_error();
  EXPECT_TRUE(BASS_ASIO_Stop());
  EXPECT_TRUE(BASS_ASIO_ChannelReset(false, 0, kAsioResetEnable | kAsioResetJoin));
  EXPECT_TRUE(BASS_ASIO_Free());
}

TEST(AsioFailure, StopReturnsWhenTheDeviceNeverHasRoom) {
  Feeder feeder(std::vector<float>(2 * 48000));
  ASSERT_TRUE(start(add_faulty_driver(Fault::NeverRoom), feeder));
  ASSERT_TRUE(eventually([&] { return feeder.calls() >= 1; }));
  EXPECT_TRUE(BASS_ASIO_Stop());
  EXPECT_FALSE(BASS_ASIO_IsStarted());
  expect_no_further_calls(feeder);
  EXPECT_TRUE(BASS_ASIO_Free());
}

TEST(AsioFailure, StopGivesUpADeviceStuckInAWrite) {
  Gate gate;
  std::vector<std::weak_ptr<FaultyStream>> made;
  Feeder feeder(std::vector<float>(2 * 48000));
  ASSERT_TRUE(start(add_faulty_driver(Fault::StuckInWrite, &gate, &made), feeder));
  ASSERT_TRUE(eventually([&] { return gate.entered.load(); }));

  EXPECT_TRUE(BASS_ASIO_Stop());
  EXPECT_FALSE(BASS_ASIO_IsStarted());
  const int calls = feeder.calls();
  EXPECT_TRUE(BASS_ASIO_Free());

  // Once the device lets go, the thread that was given up ends without calling
  // again and releases its stream.
  gate.release();
  ASSERT_FALSE(made.empty());
  EXPECT_TRUE(eventually([&] { return made.front().expired(); }));
  EXPECT_EQ(feeder.calls(), calls);
}

}  // namespace
}  // namespace sonvale::audiolib
