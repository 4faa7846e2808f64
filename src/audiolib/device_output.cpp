#include "audiolib/device_output.h"

#include <cerrno>
#include <system_error>

namespace sonvale::audiolib {

StreamOutput::StreamOutput(MakeStream make_stream)
    : make_stream_(std::move(make_stream)), stream_(make_stream_()) {}

bool StreamOutput::check_rate(unsigned rate) {
  if (thread_.running()) return rate == stream_->setup().rate;
  if (stream_->is_open()) return stream_->supports_rate(rate);
  if (!stream_->open().ok()) return false;
  const bool supported = stream_->supports_rate(rate);
  stream_->close();
  return supported;
}

DeviceStatus StreamOutput::start(const StreamRequest& request, Feed feed,
                                 std::shared_ptr<FeedControls> controls) {
  if (thread_.running()) return DeviceStatus::failure(-EBUSY, "already playing");
  // The remains of a run that ended by itself are let go. The device Init took stays
  // open: letting it go here would let another program take it in between.
  if (thread_.has_run()) stop();
  DeviceStatus status = stream_->open();
  if (status.ok()) status = stream_->configure(request);
  if (status.ok() && !thread_.start(stream_, std::move(feed), std::move(controls)))
    status = DeviceStatus::failure(-EAGAIN, "no thread for the device");
  if (!status.ok()) stream_->close();
  return status;
}

void StreamOutput::stop() {
  if (thread_.stop()) {
    stream_->close();
  } else {
    // The thread that was given up still writes to the old stream and closes it
    // when it is done; a fresh one stands in for the next start.
    stream_ = make_stream_();
  }
}

std::string StreamOutput::failure() const {
  const int code = thread_.failure();
  if (code == 0) return {};
  return "the device stopped: " + std::system_category().message(-code);
}

}  // namespace sonvale::audiolib
