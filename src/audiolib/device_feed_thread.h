#pragma once

#include <memory>

#include "audiolib/device_feed.h"
#include "audiolib/device_stream.h"
#include "platform/thread.h"

namespace sonvale::audiolib {

// The driver thread of an output: asks the feed for one device period at a time,
// pads a short answer with silence, applies the gain when it is not 1.0, makes
// samples that are not finite playable (device_format.h), converts to the device's
// format and writes the period to the stream.
class FeedThread {
 public:
  FeedThread() = default;
  FeedThread(const FeedThread&) = delete;
  FeedThread& operator=(const FeedThread&) = delete;
  ~FeedThread() { stop(); }

  // `stream` must be open and configured. False when no thread could be made.
  bool start(std::shared_ptr<DeviceStream> stream, Feed feed,
             std::shared_ptr<FeedControls> controls);

  // Ends the thread; no feed call is made after it returns. It waits for a feed call
  // in progress but not for the device. True when the thread has ended; false when
  // the device held it inside a write for too long: the thread was let go, keeps its
  // own reference to the stream and ends when the write returns, so the caller must
  // not use that stream again.
  bool stop();

  // False once stopped, or when the thread ended because the device failed.
  bool running() const;
  // From start() until stop(), whether or not the thread still runs.
  bool has_run() const { return session_ != nullptr; }
  // The device's error when it failed while playing, else 0.
  int failure() const;

 private:
  struct Session;
  static int run(Session& session);

  std::shared_ptr<Session> session_;
  platform::Thread thread_;
};

}  // namespace sonvale::audiolib
