#include "audiolib/wasapi.h"

#include <algorithm>
#include <cmath>

#include "audiolib/alsa_stream.h"
#include "audiolib/device_catalog.h"
#include "audiolib/device_path.h"

namespace sonvale::audiolib {
namespace {

constexpr float kDefaultBufferSeconds = 0.2f;
constexpr float kLongestBufferSeconds = 10.0f;

struct WasapiState : OutputPath {
  WasapiState() : OutputPath("WASAPI device") {}
  int index = -1;
  StreamRequest request;
  WasapiProc proc = nullptr;
  void* user = nullptr;
};

WasapiState& state() {
  static WasapiState instance;
  return instance;
}

std::unique_ptr<OutputDevice> make_output(const WasapiDeviceEntry& entry) {
  return std::make_unique<StreamOutput>([pcm = entry.pcm, config = entry.config] {
    return std::make_shared<AlsaStream>(pcm, config, AlsaStream::Kind::Converting);
  });
}

// -1 stands for the default device (the first, where none is marked).
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
  auto held = s.hold();
  if (chans != 2 || (flags & kWasapiExclusive) == 0 || freq == 0) return -1;
  const int index = resolve(device);
  if (s.device && s.index == index) return s.device->check_rate(freq) ? kWasapiFormatFloat : -1;
  const auto entry = wasapi_device_entry(index);
  if (!entry) return -1;
  return make_output(*entry)->check_rate(freq) ? kWasapiFormatFloat : -1;
}

bool BASS_WASAPI_Init(int device, std::uint32_t freq, std::uint32_t chans, std::uint32_t flags,
                      float buffer, float period, WasapiProc proc, void* user) {
  WasapiState& s = state();
  auto held = s.hold();
  if (s.device) return s.fail("a WASAPI device is already initialised");
  if (chans != 2) return s.fail("only 2 channels are played");
  if ((flags & kWasapiExclusive) == 0) return s.fail("only exclusive mode is offered");
  if (freq == 0) return s.fail("no rate");
  const int index = resolve(device);
  const auto entry = wasapi_device_entry(index);
  if (!entry) return s.fail("no WASAPI device " + std::to_string(device));
  auto output = make_output(*entry);
  const DeviceStatus taken = output->take();
  if (!taken.ok()) return s.fail(taken.message);
  if (!output->check_rate(freq))
    return s.fail(entry->name + " does not play " + std::to_string(freq) + " Hz");

  if (!(buffer > 0.0f)) buffer = kDefaultBufferSeconds;
  buffer = std::min(buffer, kLongestBufferSeconds);
  s.keep(std::move(output), entry->name);
  s.index = index;
  s.request = StreamRequest{freq, 0, frames_for(buffer, freq)};
  if (period > 0.0f && period < buffer) s.request.period_frames = frames_for(period, freq);
  s.proc = proc;
  s.user = user;
  s.controls->enabled = proc != nullptr;
  return true;
}

bool BASS_WASAPI_Free() {
  WasapiState& s = state();
  auto held = s.hold();
  s.index = -1;
  return s.free();
}

bool BASS_WASAPI_Start() {
  WasapiState& s = state();
  auto held = s.hold();
  if (!s.has_device()) return false;
  if (s.device->running()) return s.fail("already started");
  if (s.proc == nullptr) return s.fail("no callback");
  Feed feed = [proc = s.proc, user = s.user](void* buffer, std::uint32_t bytes) {
    return proc(buffer, bytes, user);
  };
  return s.start(s.request, std::move(feed));
}

bool BASS_WASAPI_Stop(bool) {
  auto held = state().hold();
  return state().stop();
}

bool BASS_WASAPI_IsStarted() {
  auto held = state().hold();
  return state().is_started();
}

bool BASS_WASAPI_SetVolume(std::uint32_t curve, float volume) {
  WasapiState& s = state();
  auto held = s.hold();
  if (!s.has_device()) return false;
  if (curve != kWasapiCurveLinear) return s.fail("only the linear volume curve is kept");
  return s.set_gain(volume);
}

std::string wasapi_last_error() {
  auto held = state().hold();
  return state().error();
}

}  // namespace sonvale::audiolib
