#include "audiolib/record.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <system_error>
#include <vector>

#include "audiolib/alsa_capture_stream.h"
#include "audiolib/alsa_mixer.h"
#include "audiolib/capture_thread.h"
#include "audiolib/record_catalog.h"
#include "audiolib/test_loop.h"

namespace sonvale::audiolib {
namespace {

// The inputs of the initialised device and their levels.
class Inputs {
 public:
  virtual ~Inputs() = default;
  virtual std::vector<std::string> names() const = 0;
  virtual bool set(int input, std::optional<bool> on, std::optional<float> volume) = 0;
};

class MixerInputs final : public Inputs {
 public:
  explicit MixerInputs(std::unique_ptr<alsa::CaptureMixer> mixer) : mixer_(std::move(mixer)) {}
  std::vector<std::string> names() const override { return mixer_->inputs(); }
  bool set(int input, std::optional<bool> on, std::optional<float> volume) override {
    return mixer_->set_input(input, on, volume);
  }

 private:
  std::unique_ptr<alsa::CaptureMixer> mixer_;
};

// A device without controls of its own: one input whose level cannot be changed.
class OneInput final : public Inputs {
 public:
  std::vector<std::string> names() const override { return {"Capture"}; }
  bool set(int input, std::optional<bool>, std::optional<float>) override { return input == 0; }
};

class TestLoopInput final : public Inputs {
 public:
  std::vector<std::string> names() const override { return {"Test tone"}; }
  bool set(int input, std::optional<bool> on, std::optional<float> volume) override {
    if (input != 0) return false;
    if (on) test_loop_level().on = *on;
    if (volume) test_loop_level().volume = *volume;
    return true;
  }
};

std::unique_ptr<Inputs> inputs_of(const RecordDeviceEntry& entry) {
  if (entry.kind == RecordDeviceEntry::Kind::TestLoop) return std::make_unique<TestLoopInput>();
  if (entry.kind == RecordDeviceEntry::Kind::Hardware) {
    auto mixer = std::make_unique<alsa::CaptureMixer>();
    if (mixer->open(entry.card) && !mixer->inputs().empty()) return std::make_unique<MixerInputs>(std::move(mixer));
  }
  return std::make_unique<OneInput>();
}

std::shared_ptr<CaptureStream> stream_of(const RecordDeviceEntry& entry) {
  switch (entry.kind) {
    case RecordDeviceEntry::Kind::TestLoop:
      return std::make_shared<TestLoopStream>(test_loop_level());
    case RecordDeviceEntry::Kind::Hardware:
      return std::make_shared<AlsaCaptureStream>(entry.driver, entry.config, "plug" + entry.driver);
    case RecordDeviceEntry::Kind::Stream:
      return entry.make_stream();
    case RecordDeviceEntry::Kind::Pcm:
      break;
  }
  return std::make_shared<AlsaCaptureStream>(entry.driver, entry.config);
}

struct RecordState {
  // Guards everything below. Not held while the capture thread is waited for, so
  // that the callback may set the input level.
  std::mutex lock;
  std::optional<RecordDeviceEntry> device;  // from Init to Free
  std::unique_ptr<Inputs> inputs;
  std::shared_ptr<CaptureStream> stream;  // from Start to Free
  std::unique_ptr<CaptureThread> thread;
  std::uint32_t last_handle = 0;
  std::string last_error;

  bool fail(std::string why) {
    last_error = std::move(why);
    return false;
  }
};

RecordState& state() {
  static RecordState instance;
  return instance;
}

}  // namespace

bool BASS_RecordGetDeviceInfo(int device, RecordDeviceInfo* info) {
  const auto entry = record_device_entry(device);
  if (!entry) return false;
  RecordState& s = state();
  std::lock_guard guard(s.lock);
  const bool initialised = s.device && s.device->driver == entry->driver;
  if (info != nullptr)
    *info = {entry->name, entry->driver, kRecordDeviceEnabled | (initialised ? kRecordDeviceInitialised : 0u)};
  return true;
}

bool BASS_RecordInit(int device) {
  const auto entry = record_device_entry(device);
  RecordState& s = state();
  std::lock_guard guard(s.lock);
  if (s.device) return s.fail("a recording device is already initialised");
  if (!entry) return s.fail("no recording device " + std::to_string(device));
  s.inputs = inputs_of(*entry);
  s.device = entry;
  return true;
}

bool BASS_RecordFree() {
  RecordState& s = state();
  std::unique_ptr<CaptureThread> thread;
  std::shared_ptr<CaptureStream> stream;
  std::unique_ptr<Inputs> inputs;
  {
    std::lock_guard guard(s.lock);
    if (!s.device) return s.fail("no recording device is initialised");
    thread = std::move(s.thread);
    stream = std::move(s.stream);
    inputs = std::move(s.inputs);
    s.device.reset();
  }
  if (thread) thread->stop();
  if (stream) stream->close();
  return true;
}

std::optional<std::string> BASS_RecordGetInputName(int input) {
  RecordState& s = state();
  std::lock_guard guard(s.lock);
  if (!s.inputs) return std::nullopt;
  const std::vector<std::string> names = s.inputs->names();
  if (input < 0 || static_cast<std::size_t>(input) >= names.size()) return std::nullopt;
  return names[static_cast<std::size_t>(input)];
}

bool BASS_RecordSetInput(int input, std::uint32_t flags, float volume) {
  RecordState& s = state();
  std::lock_guard guard(s.lock);
  if (!s.inputs) return s.fail("no recording device is initialised");
  std::optional<bool> on;
  if ((flags & kRecordInputOn) != 0) on = true;
  if ((flags & kRecordInputOff) != 0) on = false;
  std::optional<float> level;
  if (volume >= 0.0f) level = std::min(volume, 1.0f);
  return s.inputs->set(input, on, level) || s.fail("no input " + std::to_string(input));
}

std::uint32_t BASS_RecordStart(std::uint32_t freq, std::uint32_t chans, std::uint32_t flags, RecordProc proc,
                               void* user) {
  RecordState& s = state();
  std::lock_guard guard(s.lock);
  if (!s.device) return s.fail("no recording device is initialised"), 0;
  if (s.thread) return s.fail("already recording"), 0;
  if (chans != 2 || (flags & kRecordFloat) == 0 || freq == 0 || proc == nullptr)
    return s.fail("only stereo float recording with a callback is offered"), 0;

  auto stream = stream_of(*s.device);
  DeviceStatus status = stream->open();
  if (status.ok()) status = stream->configure(freq, std::max(1u, freq / 100));
  if (!status.ok()) {
    stream->close();
    return s.fail(status.message), 0;
  }
  const std::uint32_t handle = ++s.last_handle == 0 ? ++s.last_handle : s.last_handle;
  auto thread = std::make_unique<CaptureThread>();
  const CaptureCallback callback = [proc, user, handle](const float* stereo, std::uint32_t bytes) {
    return proc(handle, stereo, bytes, user);
  };
  if (!thread->start(stream, callback)) {
    stream->close();
    return s.fail("no thread for the recording"), 0;
  }
  s.stream = std::move(stream);
  s.thread = std::move(thread);
  return handle;
}

bool record_running() {
  RecordState& s = state();
  std::lock_guard guard(s.lock);
  return s.thread && s.thread->running();
}

std::string record_last_error() {
  RecordState& s = state();
  std::lock_guard guard(s.lock);
  if (s.thread && !s.thread->running() && s.thread->failure() != 0)
    return s.device->name + ": the device stopped recording (" + std::system_category().message(-s.thread->failure()) + ")";
  return s.last_error;
}

}  // namespace sonvale::audiolib
