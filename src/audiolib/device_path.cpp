#include "audiolib/device_path.h"

namespace sonvale::audiolib {

bool OutputPath::fail(std::string why) {
  last_error = std::move(why);
  return false;
}

bool OutputPath::has_device() {
  return device != nullptr || fail(std::string("no ") + what + " is initialised");
}

void OutputPath::keep(std::unique_ptr<OutputDevice> output, std::string name) {
  device = std::move(output);
  device_name = std::move(name);
  started = false;
  controls = std::make_shared<FeedControls>();
}

bool OutputPath::free() {
  if (!has_device()) return false;
  device->stop();
  device.reset();
  controls.reset();
  started = false;
  return true;
}

bool OutputPath::start(const StreamRequest& request, Feed feed) {
  const DeviceStatus status = device->start(request, std::move(feed), controls);
  if (!status.ok()) return fail(status.message);
  started = true;
  return true;
}

bool OutputPath::stop() {
  if (device == nullptr || !started) return fail("not started");
  device->stop();
  started = false;
  return true;
}

bool OutputPath::set_gain(float gain) {
  if (!(gain >= 0.0f && gain <= 1.0f)) return fail("volume outside 0.0 to 1.0");
  controls->gain = gain;
  return true;
}

std::string OutputPath::error() const {
  if (device && started && !device->running()) {
    const std::string failure = device->failure();
    if (!failure.empty()) return device_name + ": " + failure;
  }
  return last_error;
}

}  // namespace sonvale::audiolib
