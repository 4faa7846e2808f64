#include "audiolib/device_render.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <vector>

#include "audiolib/device_format.h"
#include "audiolib/device_wav_file.h"
#include "platform/time.h"

namespace sonvale::audiolib {
namespace {

constexpr unsigned kDefaultRequestFrames = 65536;

}  // namespace

struct RenderOutput::Session {
  Feed feed;
  std::shared_ptr<FeedControls> controls;
  WavFile file;  // the thread's while it runs, the owner's after
  std::vector<float> buffer;
  // Owner writes, thread reads under controls->feeding before each feed call.
  std::atomic<bool> stop{false};
  // Thread writes false as it ends; owner reads.
  std::atomic<bool> running{true};
  // Thread writes before it ends on a write error; owner reads after the join.
  std::string failure;
};

RenderOutput::RenderOutput(std::string path) : path_(std::move(path)) {}

// The file is only made when playback starts: a start that fails before then leaves
// no file behind, and an existing one untouched.
DeviceStatus RenderOutput::take() { return check_writable(path_); }

bool RenderOutput::check_rate(unsigned rate) { return rate >= 1 && rate <= kHighestVirtualRate; }

DeviceStatus RenderOutput::start(const StreamRequest& request, Feed feed,
                                 std::shared_ptr<FeedControls> controls) {
  if (running()) return DeviceStatus::failure(-EBUSY, "already rendering");
  stop();
  if (!check_rate(request.rate))
    return DeviceStatus::failure(-EINVAL, path_ + ": rate out of range");
  auto session = std::make_shared<Session>();
  DeviceStatus status = session->file.create(path_, request.rate);
  if (!status.ok()) return status;
  const unsigned frames =
      request.period_frames != 0 ? request.period_frames : kDefaultRequestFrames;
  session->buffer.resize(std::size_t{frames} * 2);
  session->feed = std::move(feed);
  session->controls = std::move(controls);
  if (!thread_.start([session](std::intptr_t) { return run(*session); }, 0,
                     platform::kPriorityNormal))
    return DeviceStatus::failure(-EAGAIN, "no thread for rendering");
  session_ = std::move(session);
  failure_.clear();
  return DeviceStatus::fine();
}

void RenderOutput::stop() {
  if (session_ == nullptr) return;
  session_->stop = true;
  session_->controls->settle();
  thread_.wait();
  thread_ = platform::Thread();
  failure_ = session_->failure;
  const DeviceStatus closed = session_->file.finish();
  if (failure_.empty() && !closed.ok()) failure_ = closed.message;
  session_.reset();
}

bool RenderOutput::running() const { return session_ != nullptr && session_->running; }

std::string RenderOutput::failure() const {
  if (session_ != nullptr && !session_->running) return session_->failure;
  return failure_;
}

int RenderOutput::run(Session& session) {
  const auto request = static_cast<std::uint32_t>(session.buffer.size() * sizeof(float));
  while (!session.stop) {
    std::uint32_t delivered = 0;
    {
      std::lock_guard<std::mutex> feeding(session.controls->feeding);
      if (session.stop) break;
      if (session.controls->enabled && !session.controls->paused)
        delivered = std::min(session.feed(session.buffer.data(), request), request);
    }
    if (delivered == 0) {
      platform::sleep_ms(1);
      continue;
    }
    guard_non_finite(session.buffer.data(), delivered / sizeof(float));
    const DeviceStatus written = session.file.write(session.buffer.data(), delivered);
    if (!written.ok()) {
      session.failure = written.message;
      break;
    }
  }
  session.running = false;
  return 0;
}

}  // namespace sonvale::audiolib
