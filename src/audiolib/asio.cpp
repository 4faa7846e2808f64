#include "audiolib/asio.h"

#include <cmath>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>

#include "audiolib/alsa_stream.h"
#include "audiolib/device_catalog.h"
#include "audiolib/device_null_stream.h"
#include "audiolib/device_output.h"
#include "audiolib/device_render.h"

namespace sonvale::audiolib {
namespace {

// The one open driver. Every field is used under `lock` on the caller's thread; the
// driver thread sees only `controls` and the feed it was given at start.
struct AsioState {
  std::mutex lock;
  std::unique_ptr<OutputDevice> device;  // from Init to Free
  std::string device_name;
  unsigned rate = 0;  // 0 until SetRate: the device's default then
  AsioProc proc = nullptr;
  void* user = nullptr;
  bool joined = false;
  bool started = false;  // from Start to Stop, even when the device ended it early
  std::shared_ptr<FeedControls> controls;
  std::string last_error;
};

// The calls take a rate as a double; it is used only when it is a whole number of
// Hz: nothing is ever rounded to a rate.
std::optional<unsigned> exact_rate(double rate) {
  if (!(rate >= 1.0) || rate > 4294967295.0 || rate != std::floor(rate)) return std::nullopt;
  return static_cast<unsigned>(rate);
}

AsioState& state() {
  static AsioState instance;
  return instance;
}

bool fail(AsioState& s, std::string why) {
  s.last_error = std::move(why);
  return false;
}

std::unique_ptr<OutputDevice> make_output(const AsioDriverEntry& entry) {
  switch (entry.kind) {
    case AsioDriverEntry::Kind::Hardware:
    case AsioDriverEntry::Kind::Pcm:
      return std::make_unique<StreamOutput>([pcm = entry.driver, config = entry.config] {
        return std::make_shared<AlsaStream>(pcm, config, AlsaStream::Kind::Native);
      });
    case AsioDriverEntry::Kind::Null:
      return std::make_unique<StreamOutput>([] { return std::make_shared<NullStream>(); });
    case AsioDriverEntry::Kind::Render:
      return std::make_unique<RenderOutput>(entry.driver);
    case AsioDriverEntry::Kind::Stream:
      return std::make_unique<StreamOutput>(entry.make_stream);
  }
  return nullptr;
}

// The output channel that carries the pair: 0, or -1 for all where the call allows.
bool is_pair_channel(bool input, int channel) { return !input && (channel == 0 || channel == -1); }

std::string refused_rate(const AsioState& s, double rate) {
  std::ostringstream text;
  text << s.device_name << " does not play " << rate << " Hz";
  return text.str();
}

}  // namespace

bool BASS_ASIO_GetDeviceInfo(int device, AsioDeviceInfo* info) {
  const auto entry = asio_driver_entry(device);
  if (!entry || !entry->listed) return false;
  if (info != nullptr) *info = {entry->name, entry->driver};
  return true;
}

bool BASS_ASIO_Init(int device, std::uint32_t) {
  AsioState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.device) return fail(s, "an ASIO driver is already initialised");
  const auto entry = asio_driver_entry(device == -1 ? 0 : device);
  if (!entry) return fail(s, "no ASIO driver " + std::to_string(device));
  auto output = make_output(*entry);
  const DeviceStatus taken = output->take();
  if (!taken.ok()) return fail(s, taken.message);
  s.device = std::move(output);
  s.device_name = entry->name;
  s.rate = 0;
  s.proc = nullptr;
  s.user = nullptr;
  s.joined = false;
  s.started = false;
  s.controls = std::make_shared<FeedControls>();
  return true;
}

bool BASS_ASIO_Free() {
  AsioState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.device) return fail(s, "no ASIO driver is initialised");
  s.device->stop();
  s.device.reset();
  s.controls.reset();
  s.started = false;
  return true;
}

bool BASS_ASIO_CheckRate(double rate) {
  AsioState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.device) return fail(s, "no ASIO driver is initialised");
  const auto hz = exact_rate(rate);
  if (!hz || !s.device->check_rate(*hz))
    return fail(s, refused_rate(s, rate));
  return true;
}

bool BASS_ASIO_SetRate(double rate) {
  AsioState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.device) return fail(s, "no ASIO driver is initialised");
  const auto hz = exact_rate(rate);
  if (!hz || !s.device->check_rate(*hz))
    return fail(s, refused_rate(s, rate));
  if (s.device->running() && *hz != s.rate) return fail(s, "the rate is fixed while started");
  s.rate = *hz;
  return true;
}

bool BASS_ASIO_ChannelEnable(bool input, int channel, AsioProc proc, void* user) {
  AsioState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.device) return fail(s, "no ASIO driver is initialised");
  if (input || channel != 0) return fail(s, "only output channel 0 can carry the pair");
  if (s.device->running()) return fail(s, "the channel is fixed while started");
  s.proc = proc;
  s.user = user;
  s.controls->enabled = proc != nullptr;
  return true;
}

bool BASS_ASIO_ChannelJoin(bool input, int channel, int channel2) {
  AsioState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.device) return fail(s, "no ASIO driver is initialised");
  if (input || channel != 1 || channel2 != 0)
    return fail(s, "only output channel 1 joins channel 0");
  s.joined = true;
  return true;
}

bool BASS_ASIO_ChannelSetFormat(bool input, int channel, std::uint32_t format) {
  AsioState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.device) return fail(s, "no ASIO driver is initialised");
  if (input || channel != 0 || format != kAsioFormatFloat)
    return fail(s, "the channel takes 32-bit float only");
  return true;
}

bool BASS_ASIO_ChannelSetVolume(bool input, int channel, float volume) {
  AsioState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.device) return fail(s, "no ASIO driver is initialised");
  if (input || channel != -1) return fail(s, "only the master volume (-1) is kept");
  if (!(volume >= 0.0f && volume <= 1.0f)) return fail(s, "volume outside 0.0 to 1.0");
  s.controls->gain = volume;
  return true;
}

bool BASS_ASIO_Start(std::uint32_t buflen, std::uint32_t) {
  AsioState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.device) return fail(s, "no ASIO driver is initialised");
  if (s.device->running()) return fail(s, "already started");
  if (s.proc == nullptr || !s.joined)
    return fail(s, "output channel 0 must be enabled with channel 1 joined");
  unsigned rate = s.rate;
  if (rate == 0) rate = s.device->check_rate(48000) ? 48000 : 44100;
  Feed feed = [proc = s.proc, user = s.user](void* buffer, std::uint32_t bytes) {
    return proc(false, 0, buffer, bytes, user);
  };
  const DeviceStatus started =
      s.device->start(StreamRequest{rate, buflen, 0}, std::move(feed), s.controls);
  if (!started.ok()) return fail(s, started.message);
  s.rate = rate;
  s.started = true;
  return true;
}

bool BASS_ASIO_Stop() {
  AsioState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.device || !s.started) return fail(s, "not started");
  s.device->stop();
  s.started = false;
  return true;
}

bool BASS_ASIO_IsStarted() {
  AsioState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.device && s.device->running();
}

bool BASS_ASIO_ChannelPause(bool input, int channel) {
  AsioState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.device) return fail(s, "no ASIO driver is initialised");
  if (!is_pair_channel(input, channel)) return fail(s, "only output channel 0 pauses");
  s.controls->paused = true;
  s.controls->settle();
  return true;
}

bool BASS_ASIO_ChannelReset(bool input, int channel, std::uint32_t flags) {
  AsioState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.device) return fail(s, "no ASIO driver is initialised");
  if (input || channel < -1 || channel > 1) return fail(s, "no such output channel");
  if ((flags & kAsioResetEnable) != 0) {
    s.controls->enabled = false;
    s.controls->settle();
    s.proc = nullptr;
    s.user = nullptr;
  }
  if ((flags & kAsioResetJoin) != 0) s.joined = false;
  if ((flags & kAsioResetPause) != 0) s.controls->paused = false;
  if ((flags & kAsioResetVolume) != 0) s.controls->gain = 1.0f;
  return true;
}

bool BASS_ASIO_ControlPanel() {
  AsioState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  return fail(s, "this driver has no control panel");
}

std::string asio_last_error() {
  AsioState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.device && s.started && !s.device->running()) {
    std::string failure = s.device->failure();
    if (!failure.empty()) return s.device_name + ": " + failure;
  }
  return s.last_error;
}

}  // namespace sonvale::audiolib
