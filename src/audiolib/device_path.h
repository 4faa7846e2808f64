#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "audiolib/device_feed.h"
#include "audiolib/device_output.h"

namespace sonvale::audiolib {

// What an output path (ASIO or WASAPI) keeps about the one device it has open. The
// path's calls hold `lock` around every use; the driver thread sees only `controls`
// and the feed it was given at start.
struct OutputPath {
  explicit OutputPath(const char* what) : what(what) {}

  // Takes the lock for one call of the path.
  std::unique_lock<std::mutex> hold() { return std::unique_lock<std::mutex>(lock); }

  // The members below expect the lock held.
  bool fail(std::string why);
  // False, with the reason, while no device is open.
  bool has_device();
  // Keeps a device that was just taken, with fresh controls.
  void keep(std::unique_ptr<OutputDevice> output, std::string name);
  bool free();
  bool start(const StreamRequest& request, Feed feed);
  bool stop();
  bool is_started() const { return device && device->running(); }
  bool set_gain(float gain);
  // The last failure, or why playback ended by itself.
  std::string error() const;

  const char* what;  // "ASIO driver" or "WASAPI device", for messages
  std::mutex lock;
  std::unique_ptr<OutputDevice> device;  // from Init to Free
  std::string device_name;
  bool started = false;  // from Start to Stop, also when the device ended it early
  std::shared_ptr<FeedControls> controls;
  std::string last_error;
};

}  // namespace sonvale::audiolib
