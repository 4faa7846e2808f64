#include "audiolib/device_feed_thread.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "platform/time.h"

namespace sonvale::audiolib {
namespace {

constexpr std::uint32_t kFrameBytes = 8;
// Longest wait for device room before the stop flag is looked at again.
constexpr int kWaitMs = 50;
// How long stop() lets a device write run on before it gives the thread up.
constexpr int kStopGraceMs = 1000;

}  // namespace

// Shared by the owner and the thread, so that a thread given up in stop() still
// owns what it touches.
struct FeedThread::Session {
  std::shared_ptr<DeviceStream> stream;
  Feed feed;
  std::shared_ptr<FeedControls> controls;
  // Owner writes, thread reads; read under controls->feeding before each feed call.
  std::atomic<bool> stop{false};
  // Thread writes false as it ends; owner reads.
  std::atomic<bool> running{true};
  // Thread writes the device's error before it ends; owner reads.
  std::atomic<int> failure{0};
  // Period buffers, the thread's alone while it runs.
  std::vector<float> samples;
  std::vector<std::byte> converted;
};

bool FeedThread::start(std::shared_ptr<DeviceStream> stream, Feed feed,
                       std::shared_ptr<FeedControls> controls) {
  stop();
  const StreamSetup& setup = stream->setup();
  auto session = std::make_shared<Session>();
  session->samples.resize(std::size_t{setup.period_frames} * 2);
  session->converted.resize(std::size_t{setup.period_frames} * setup.channels *
                            bytes_per_sample(setup.format));
  session->stream = std::move(stream);
  session->feed = std::move(feed);
  session->controls = std::move(controls);
  const bool started = thread_.start([session](std::intptr_t) { return run(*session); }, 0,
                                     platform::kPriorityHighest);
  if (started) session_ = std::move(session);
  return started;
}

bool FeedThread::stop() {
  if (session_ == nullptr) return true;
  session_->stop = true;
  session_->controls->settle();
  for (int waited = 0; thread_.is_running() && waited < kStopGraceMs; ++waited)
    platform::sleep_ms(1);
  const bool ended = !thread_.is_running();
  if (ended)
    thread_.wait();
  else
    thread_.detach();
  thread_ = platform::Thread();
  session_.reset();
  return ended;
}

bool FeedThread::running() const { return session_ != nullptr && session_->running; }

int FeedThread::failure() const { return session_ != nullptr ? session_->failure.load() : 0; }

int FeedThread::run(Session& session) {
  DeviceStream& stream = *session.stream;
  FeedControls& controls = *session.controls;
  const StreamSetup setup = stream.setup();
  const std::uint32_t period_bytes = setup.period_frames * kFrameBytes;
  const std::size_t device_frame_bytes =
      static_cast<std::size_t>(setup.channels) * bytes_per_sample(setup.format);
  const bool direct = setup.format == DeviceFormat::Float32 && setup.channels == 2;
  auto* samples = reinterpret_cast<std::byte*>(session.samples.data());

  while (!session.stop) {
    std::uint32_t delivered = 0;
    {
      std::lock_guard<std::mutex> feeding(controls.feeding);
      if (session.stop) break;
      if (controls.enabled && !controls.paused)
        delivered = session.feed(session.samples.data(), period_bytes);
    }
    // Whole frames only; the rest of the period is silence.
    delivered = std::min(delivered, period_bytes) / kFrameBytes * kFrameBytes;
    std::memset(samples + delivered, 0, period_bytes - delivered);
    const float gain = controls.gain;
    if (gain != 1.0f)
      for (std::uint32_t i = 0; i < delivered / sizeof(float); ++i) session.samples[i] *= gain;
    guard_non_finite(session.samples.data(), delivered / sizeof(float));

    const std::byte* out = samples;
    if (!direct) {
      convert_frames(session.samples.data(), setup.period_frames, setup.format, setup.channels,
                     session.converted.data());
      out = session.converted.data();
    }
    for (unsigned long left = setup.period_frames; left > 0 && !session.stop;) {
      const long taken = stream.write(out, left);
      if (taken < 0) {
        session.failure = static_cast<int>(taken);
        session.running = false;
        return 1;
      }
      if (taken == 0) {
        stream.wait(left, kWaitMs);
        continue;
      }
      out += static_cast<std::size_t>(taken) * device_frame_bytes;
      left -= static_cast<unsigned long>(taken);
    }
  }
  session.running = false;
  return 0;
}

}  // namespace sonvale::audiolib
