#pragma once

#include "audiolib/device_status.h"

namespace sonvale::audiolib {

// A recording device as the capture thread sees it. Between open() and close() the
// device is taken; configure() and the reads belong to one thread at a time.
class CaptureStream {
 public:
  virtual ~CaptureStream() = default;

  // Takes the device ("Device busy" when another user holds it).
  virtual DeviceStatus open() = 0;
  // Stops at once and lets the device go.
  virtual void close() = 0;

  // Sets the open device up to record stereo at `rate`, in periods of about
  // `period_frames`.
  virtual DeviceStatus configure(unsigned rate, unsigned period_frames) = 0;
  // The period the device settled on, in frames.
  virtual unsigned period_frames() const = 0;

  // Up to `frames` (at most one period) recorded frames as stereo float, without
  // blocking: 0 when none are ready yet, a negative errno when the device is lost.
  virtual long read(float* stereo, unsigned long frames) = 0;
  // Waits until a period can be read, but at most `timeout_ms`.
  virtual void wait(int timeout_ms) = 0;
};

}  // namespace sonvale::audiolib
