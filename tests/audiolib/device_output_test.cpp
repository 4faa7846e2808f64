// A device taken at Init is the one that plays: no other program can slip in
// between, because it is not let go before it starts.
#include <gtest/gtest.h>

#include "audiolib/asio.h"
#include "audiolib/device_catalog.h"
#include "audiolib/device_output.h"
#include "device_test_support.h"

namespace sonvale::audiolib {
namespace {

using test::eventually;
using test::Feeder;

struct Takes {
  int opens = 0;   // times the device was taken
  int closes = 0;  // times it was let go
};

class CountingStream final : public DeviceStream {
 public:
  explicit CountingStream(Takes& takes) : takes_(takes) {}

  DeviceStatus open() override {
    if (!open_) ++takes_.opens;
    open_ = true;
    return DeviceStatus::fine();
  }
  void close() override {
    if (open_) ++takes_.closes;
    open_ = false;
  }
  bool is_open() const override { return open_; }
  bool supports_rate(unsigned) override { return open_; }
  DeviceStatus configure(const StreamRequest& request) override {
    setup_ = {request.rate, DeviceFormat::Float32, 2, 256, 1024};
    return DeviceStatus::fine();
  }
  const StreamSetup& setup() const override { return setup_; }
  long write(const std::byte*, unsigned long frames) override { return static_cast<long>(frames); }
  void wait(unsigned long, int) override {}

 private:
  Takes& takes_;
  bool open_ = false;
  StreamSetup setup_;
};

TEST(DeviceOutput, TheDeviceTakenIsKeptFromTakingThroughStart) {
  Takes takes;
  StreamOutput output([&takes] { return std::make_shared<CountingStream>(takes); });
  ASSERT_TRUE(output.take().ok());
  EXPECT_TRUE(output.check_rate(96000));
  Feeder feeder(std::vector<float>(2 * 4800));
  auto controls = std::make_shared<FeedControls>();
  controls->enabled = true;
  ASSERT_TRUE(output.start(StreamRequest{96000, 0, 0},
                           [&](void* b, std::uint32_t n) { return Feeder::wasapi(b, n, &feeder); }, controls)
                  .ok());
  EXPECT_EQ(takes.opens, 1);
  EXPECT_EQ(takes.closes, 0);
  output.stop();
  EXPECT_EQ(takes.closes, 1);  // let go until the next start
}

TEST(DeviceOutput, AnAsioDriverOpenedAtInitIsNotLetGoBeforeItStarts) {
  Takes takes;
  const int driver = asio_add_stream_driver("counted", [&takes] { return std::make_shared<CountingStream>(takes); });
  Feeder feeder(std::vector<float>(2 * 4800));
  ASSERT_TRUE(BASS_ASIO_Init(driver, kAsioThread));
  ASSERT_TRUE(BASS_ASIO_CheckRate(44100));
  ASSERT_TRUE(BASS_ASIO_SetRate(44100));
  ASSERT_TRUE(BASS_ASIO_ChannelEnable(false, 0, &Feeder::asio, &feeder));
  ASSERT_TRUE(BASS_ASIO_ChannelJoin(false, 1, 0));
  ASSERT_TRUE(BASS_ASIO_Start(0));
  EXPECT_TRUE(eventually([&] { return feeder.exhausted(); }));
  EXPECT_EQ(takes.opens, 1);
  EXPECT_EQ(takes.closes, 0);
  EXPECT_TRUE(BASS_ASIO_Stop());
  EXPECT_TRUE(BASS_ASIO_Free());
  EXPECT_EQ(takes.closes, 1);
}

}  // namespace
}  // namespace sonvale::audiolib
