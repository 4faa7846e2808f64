#include "audiolib/wasapi.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

#include "audiolib/alsa_stream.h"
#include "audiolib/device_catalog.h"
#include "audiolib/device_output.h"

namespace sonvale::audiolib {
namespace {

constexpr float kDefaultBufferSeconds = 0.2f;
constexpr float kLongestBufferSeconds = 10.0f;

// The one open device. Every field is used under `lock` on the caller's thread; the
// output thread sees only `controls` and the feed it was given at start.
struct WasapiState {
  std::mutex lock;
  std::unique_ptr<OutputDevice> device;  // from Init to Free
  int index = -1;
  std::string device_name;
  StreamRequest request;
  WasapiProc proc = nullptr;
  void* user = nullptr;
  bool started = false;  // from Start to Stop, even when the device ended it early
  std::shared_ptr<FeedControls> controls;
  std::string last_error;
};

WasapiState& state() {
  static WasapiState instance;
  return instance;
}

bool fail(WasapiState& s, std::string why) {
  s.last_error = std::move(why);
  return false;
}

std::unique_ptr<OutputDevice> make_output(const WasapiDeviceEntry& entry) {
  return std::make_unique<StreamOutput>([pcm = entry.pcm, config = entry.config] {
    return std::make_shared<AlsaStream>(pcm, config, AlsaStream::Kind::Converting);
  });
}

int resolve(int device) {
  if (device != -1) return device;
  for (int i = 0;; ++i) {
    const auto entry = wasapi_device_entry(i);
    if (!entry) return 0;
    if ((entry->flags & kWasapiDeviceDefault) != 0) return i;
  }
}

unsigned frames_for(float seconds, std::uint32_t rate) {
  return static_cast<unsigned>(std::lround(static_cast<double>(seconds) * rate));
}

}  // namespace

bool BASS_WASAPI_GetDeviceInfo(int device, WasapiDeviceInfo* info) {
  const auto entry = wasapi_device_entry(device);
  if (!entry) return false;
  if (info != nullptr) *info = {entry->name, entry->pcm, entry->flags};
  return true;
}

int BASS_WASAPI_CheckFormat(int device, std::uint32_t freq, std::uint32_t chans,
                            std::uint32_t flags) {
  WasapiState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (chans != 2 || (flags & kWasapiExclusive) == 0 || freq == 0) return -1;
  const int index = resolve(device);
  if (s.device && s.index == index)
    return s.device->check_rate(freq) ? kWasapiFormatFloat : -1;
  const auto entry = wasapi_device_entry(index);
  if (!entry) return -1;
  return make_output(*entry)->check_rate(freq) ? kWasapiFormatFloat : -1;
}

bool BASS_WASAPI_Init(int device, std::uint32_t freq, std::uint32_t chans,
                      std::uint32_t flags, float buffer, float period, WasapiProc proc,
                      void* user) {
  WasapiState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.device) return fail(s, "a WASAPI device is already initialised");
  if (chans != 2) return fail(s, "only 2 channels are played");
  if ((flags & kWasapiExclusive) == 0) return fail(s, "only exclusive mode is offered");
  if (freq == 0) return fail(s, "no rate");
  const int index = resolve(device);
  const auto entry = wasapi_device_entry(index);
  if (!entry) return fail(s, "no WASAPI device " + std::to_string(device));
  auto output = make_output(*entry);
  const DeviceStatus taken = output->take();
  if (!taken.ok()) return fail(s, taken.message);
  if (!output->check_rate(freq))
    return fail(s, entry->name + " does not play " + std::to_string(freq) + " Hz");

  if (!(buffer > 0.0f)) buffer = kDefaultBufferSeconds;
  buffer = std::min(buffer, kLongestBufferSeconds);
  s.request = StreamRequest{freq, 0, frames_for(buffer, freq)};
  if (period > 0.0f && period < buffer) s.request.period_frames = frames_for(period, freq);
  s.device = std::move(output);
  s.index = index;
  s.device_name = entry->name;
  s.proc = proc;
  s.user = user;
  s.started = false;
  s.controls = std::make_shared<FeedControls>();
  s.controls->enabled = proc != nullptr;
  return true;
}

bool BASS_WASAPI_Free() {
  WasapiState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.device) return fail(s, "no WASAPI device is initialised");
  s.device->stop();
  s.device.reset();
  s.controls.reset();
  s.index = -1;
  s.started = false;
  return true;
}

bool BASS_WASAPI_Start() {
  WasapiState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.device) return fail(s, "no WASAPI device is initialised");
  if (s.device->running()) return fail(s, "already started");
  if (s.proc == nullptr) return fail(s, "no callback");
  Feed feed = [proc = s.proc, user = s.user](void* buffer, std::uint32_t bytes) {
    return proc(buffer, bytes, user);
  };
  const DeviceStatus started = s.device->start(s.request, std::move(feed), s.controls);
  if (!started.ok()) return fail(s, started.message);
  s.started = true;
  return true;
}

bool BASS_WASAPI_Stop(bool) {
  WasapiState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.device || !s.started) return fail(s, "not started");
  s.device->stop();
  s.started = false;
  return true;
}

bool BASS_WASAPI_IsStarted() {
  WasapiState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.device && s.device->running();
}

bool BASS_WASAPI_SetVolume(std::uint32_t curve, float volume) {
  WasapiState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.device) return fail(s, "no WASAPI device is initialised");
  if (curve != kWasapiCurveLinear) return fail(s, "only the linear volume curve is kept");
  if (!(volume >= 0.0f && volume <= 1.0f)) return fail(s, "volume outside 0.0 to 1.0");
  s.controls->gain = volume;
  return true;
}

std::string wasapi_last_error() {
  WasapiState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.device && s.started && !s.device->running()) {
    std::string failure = s.device->failure();
    if (!failure.empty()) return s.device_name + ": " + failure;
  }
  return s.last_error;
}

}  // namespace sonvale::audiolib
