#include "audiolib/capture_thread.h"

#include <atomic>
#include <vector>

namespace sonvale::audiolib {
namespace {

// Longest wait for a period before the stop flag is looked at again.
constexpr int kWaitMs = 50;

}  // namespace

struct CaptureThread::Session {
  std::shared_ptr<CaptureStream> stream;
  CaptureCallback callback;
  // Owner writes, thread reads before each read.
  std::atomic<bool> stop{false};
  // Thread writes false as it ends; owner reads.
  std::atomic<bool> running{true};
  // Thread writes the device's error before it ends; owner reads.
  std::atomic<int> failure{0};
  // One period, the thread's alone while it runs.
  std::vector<float> block;
};

bool CaptureThread::start(std::shared_ptr<CaptureStream> stream, CaptureCallback callback) {
  stop();
  auto session = std::make_shared<Session>();
  session->block.resize(std::size_t{stream->period_frames()} * 2);
  session->stream = std::move(stream);
  session->callback = std::move(callback);
  const bool started = thread_.start([session](std::intptr_t) { return run(*session); }, 0,
                                     platform::kPriorityHighest);
  if (started) session_ = std::move(session);
  return started;
}

void CaptureThread::stop() {
  if (session_ == nullptr) return;
  session_->stop = true;
  thread_.wait();
  thread_ = platform::Thread();
  session_.reset();
}

bool CaptureThread::running() const { return session_ != nullptr && session_->running; }

int CaptureThread::failure() const { return session_ != nullptr ? session_->failure.load() : 0; }

int CaptureThread::run(Session& session) {
  CaptureStream& stream = *session.stream;
  const auto period = static_cast<unsigned long>(session.block.size() / 2);
  while (!session.stop) {
    const long got = stream.read(session.block.data(), period);
    if (got < 0) {
      session.failure = static_cast<int>(got);
      break;
    }
    if (got == 0) {
      stream.wait(kWaitMs);
      continue;
    }
    if (!session.callback(session.block.data(), static_cast<std::uint32_t>(got) * 8)) break;
  }
  session.running = false;
  return 0;
}

}  // namespace sonvale::audiolib
