#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "audiolib/capture_stream.h"
#include "platform/thread.h"

namespace sonvale::audiolib {

// Hands on one block of recorded stereo float frames (`bytes` bytes); false ends the
// recording.
using CaptureCallback = std::function<bool(const float* stereo, std::uint32_t bytes)>;

// The capture thread of a recording: reads the stream one period at a time and hands
// each block to the callback, until stopped, until the callback declines, or until
// the device is lost. It allocates nothing once started.
class CaptureThread {
 public:
  CaptureThread() = default;
  CaptureThread(const CaptureThread&) = delete;
  CaptureThread& operator=(const CaptureThread&) = delete;
  ~CaptureThread() { stop(); }

  // `stream` must be open and configured. False when no thread could be made.
  bool start(std::shared_ptr<CaptureStream> stream, CaptureCallback callback);
  // Ends the thread; no callback is made after it returns. It waits for a callback
  // in progress.
  void stop();

  // From start() until stop(), until the callback declined, or until the device failed.
  bool running() const;
  // The device's error when it failed while recording, else 0.
  int failure() const;

 private:
  struct Session;
  static int run(Session& session);

  std::shared_ptr<Session> session_;
  platform::Thread thread_;
};

}  // namespace sonvale::audiolib
