#pragma once

#include <memory>
#include <string>

#include "audiolib/device_output.h"
#include "platform/thread.h"

namespace sonvale::audiolib {

// The internal device behind --render: pulls from the feed as fast as it delivers and
// writes exactly the bytes delivered, in order, to a 32-bit float stereo WAV at the
// output rate; only samples that are not finite are made playable, as at any device
// (device_format.h). A feed that has nothing yet is asked again after about 1 ms. The
// file is written anew by each start and completed by stop. Volume is not applied:
// the file holds what the feed gave.
class RenderOutput final : public OutputDevice {
 public:
  explicit RenderOutput(std::string path);
  ~RenderOutput() override { stop(); }

  // Fails when the file cannot be written; makes or changes nothing.
  DeviceStatus take() override;
  bool check_rate(unsigned rate) override;
  // request.period_frames sets the size of each request (0 = 64 Ki frames).
  DeviceStatus start(const StreamRequest& request, Feed feed,
                     std::shared_ptr<FeedControls> controls) override;
  void stop() override;
  bool running() const override;
  std::string failure() const override;

 private:
  struct Session;
  static int run(Session& session);

  std::string path_;
  std::shared_ptr<Session> session_;
  platform::Thread thread_;
  std::string failure_;  // kept from the last run once it is stopped
};

}  // namespace sonvale::audiolib
