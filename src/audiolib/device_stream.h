#pragma once

#include <cstddef>

#include "audiolib/device_format.h"
#include "audiolib/device_status.h"

namespace sonvale::audiolib {

// The highest rate the virtual devices take: far above any audio rate, it only
// bounds the size of a period.
inline constexpr unsigned kHighestVirtualRate = 8'000'000;

// What an output path asks of a device when it starts it.
struct StreamRequest {
  unsigned rate = 0;           // frames per second, set exactly, never resampled
  unsigned period_frames = 0;  // frames per feed request; 0 = the device's choice
  unsigned buffer_frames = 0;  // 0 = the device's choice
};

// How the device was set up.
struct StreamSetup {
  unsigned rate = 0;
  DeviceFormat format = DeviceFormat::Float32;
  int channels = 2;  // the stereo pair goes to the first two
  unsigned period_frames = 0;
  unsigned buffer_frames = 0;
};

// A playback device as the driver thread sees it. Between open() and close() the
// device is taken; configure() and the writes belong to one thread at a time.
class DeviceStream {
 public:
  virtual ~DeviceStream() = default;

  // Takes the device ("Device busy" when another user holds it).
  virtual DeviceStatus open() = 0;
  // Stops at once, discarding what is queued, and lets the device go.
  virtual void close() = 0;
  virtual bool is_open() const = 0;

  // Whether the open device plays stereo at exactly `rate` in a format we can write.
  virtual bool supports_rate(unsigned rate) = 0;
  virtual DeviceStatus configure(const StreamRequest& request) = 0;
  virtual const StreamSetup& setup() const = 0;

  // Queues up to `frames` frames in the configured format without blocking. Returns
  // the frames taken (0 when the device has no room yet) or a negative errno when the
  // device is lost.
  virtual long write(const std::byte* data, unsigned long frames) = 0;
  // Waits until `frames` frames fit, but at most `timeout_ms`.
  virtual void wait(unsigned long frames, int timeout_ms) = 0;
};

}  // namespace sonvale::audiolib
