#pragma once

#include <functional>
#include <memory>
#include <string>

#include "audiolib/device_feed.h"
#include "audiolib/device_feed_thread.h"
#include "audiolib/device_stream.h"

namespace sonvale::audiolib {

// A device as an output path holds it from its Init to its Free.
class OutputDevice {
 public:
  virtual ~OutputDevice() = default;

  // Takes the device; fails when it is busy or missing.
  virtual DeviceStatus take() = 0;
  // Whether it plays exactly `rate`. A device let go by stop() is opened for the
  // question; a playing one only plays the rate it runs at.
  virtual bool check_rate(unsigned rate) = 0;
  // Takes the device again if need be, sets it up and starts the thread that feeds it.
  virtual DeviceStatus start(const StreamRequest& request, Feed feed,
                             std::shared_ptr<FeedControls> controls) = 0;
  // Ends playback at once and lets the device go until the next start; no feed call
  // is made after it returns.
  virtual void stop() = 0;
  // From start() until stop(), or until the device fails while playing.
  virtual bool running() const = 0;
  // Why playback ended by itself; empty when it did not.
  virtual std::string failure() const = 0;
};

// A DeviceStream driven by a FeedThread: a sound card or the Null output.
class StreamOutput final : public OutputDevice {
 public:
  using MakeStream = std::function<std::shared_ptr<DeviceStream>()>;

  explicit StreamOutput(MakeStream make_stream);
  ~StreamOutput() override { stop(); }

  DeviceStatus take() override { return stream_->open(); }
  bool check_rate(unsigned rate) override;
  DeviceStatus start(const StreamRequest& request, Feed feed,
                     std::shared_ptr<FeedControls> controls) override;
  void stop() override;
  bool running() const override { return thread_.running(); }
  std::string failure() const override;

 private:
  MakeStream make_stream_;
  std::shared_ptr<DeviceStream> stream_;
  FeedThread thread_;
};

}  // namespace sonvale::audiolib
