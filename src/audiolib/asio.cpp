#include "audiolib/asio.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <sstream>

#include "audiolib/alsa_stream.h"
#include "audiolib/device_catalog.h"
#include "audiolib/device_null_stream.h"
#include "audiolib/device_path.h"
#include "audiolib/device_render.h"

namespace sonvale::audiolib {
namespace {

// The longest period Start takes (8 MiB of samples); longer requests are shortened.
constexpr std::uint32_t kLongestPeriodFrames = 1 << 20;

struct AsioState : OutputPath {
  AsioState() : OutputPath("ASIO driver") {}
  unsigned rate = 0;  // 0 until SetRate: the device's default then
  AsioProc proc = nullptr;
  void* user = nullptr;
  bool joined = false;
};

AsioState& state() {
  static AsioState instance;
  return instance;
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

// The rate in whole Hz when the open device plays it. A rate that is not a whole
// number of Hz is refused, never rounded.
std::optional<unsigned> playable_rate(AsioState& s, double rate) {
  if (rate >= 1.0 && rate <= 4294967295.0 && rate == std::floor(rate) &&
      s.device->check_rate(static_cast<unsigned>(rate)))
    return static_cast<unsigned>(rate);
  std::ostringstream why;
  why << s.device_name << " does not play " << rate << " Hz";
  s.fail(why.str());
  return std::nullopt;
}

// The output channel that carries the pair: 0, or -1 for all.
bool is_pair_channel(bool input, int channel) { return !input && (channel == 0 || channel == -1); }

}  // namespace

bool BASS_ASIO_GetDeviceInfo(int device, AsioDeviceInfo* info) {
  const auto entry = asio_driver_entry(device);
  if (!entry || !entry->listed) return false;
  if (info != nullptr) *info = {entry->name, entry->driver};
  return true;
}

bool BASS_ASIO_Init(int device, std::uint32_t) {
  AsioState& s = state();
  auto held = s.hold();
  if (s.device) return s.fail("an ASIO driver is already initialised");
  const auto entry = asio_driver_entry(device == -1 ? 0 : device);
  if (!entry) return s.fail("no ASIO driver " + std::to_string(device));
  auto output = make_output(*entry);
  const DeviceStatus taken = output->take();
  if (!taken.ok()) return s.fail(taken.message);
  s.keep(std::move(output), entry->name);
  s.rate = 0;
  s.proc = nullptr;
  s.user = nullptr;
  s.joined = false;
  return true;
}

bool BASS_ASIO_Free() {
  auto held = state().hold();
  return state().free();
}

bool BASS_ASIO_CheckRate(double rate) {
  AsioState& s = state();
  auto held = s.hold();
  return s.has_device() && playable_rate(s, rate).has_value();
}

bool BASS_ASIO_SetRate(double rate) {
  AsioState& s = state();
  auto held = s.hold();
  if (!s.has_device()) return false;
  const auto hz = playable_rate(s, rate);
  if (!hz) return false;
  if (s.device->running() && *hz != s.rate) return s.fail("the rate is fixed while started");
  s.rate = *hz;
  return true;
}

bool BASS_ASIO_ChannelEnable(bool input, int channel, AsioProc proc, void* user) {
  AsioState& s = state();
  auto held = s.hold();
  if (!s.has_device()) return false;
  if (input || channel != 0) return s.fail("only output channel 0 can carry the pair");
  if (s.device->running()) return s.fail("the channel is fixed while started");
  s.proc = proc;
  s.user = user;
  s.controls->enabled = proc != nullptr;
  return true;
}

bool BASS_ASIO_ChannelJoin(bool input, int channel, int channel2) {
  AsioState& s = state();
  auto held = s.hold();
  if (!s.has_device()) return false;
  if (input || channel != 1 || channel2 != 0)
    return s.fail("only output channel 1 joins channel 0");
  s.joined = true;
  return true;
}

bool BASS_ASIO_ChannelSetFormat(bool input, int channel, std::uint32_t format) {
  AsioState& s = state();
  auto held = s.hold();
  if (!s.has_device()) return false;
  if (input || channel != 0 || format != kAsioFormatFloat)
    return s.fail("the channel takes 32-bit float only");
  return true;
}

bool BASS_ASIO_ChannelSetVolume(bool input, int channel, float volume) {
  AsioState& s = state();
  auto held = s.hold();
  if (!s.has_device()) return false;
  if (input || channel != -1) return s.fail("only the master volume (-1) is kept");
  return s.set_gain(volume);
}

bool BASS_ASIO_Start(std::uint32_t buflen, std::uint32_t) {
  AsioState& s = state();
  auto held = s.hold();
  if (!s.has_device()) return false;
  if (s.device->running()) return s.fail("already started");
  if (s.proc == nullptr || !s.joined)
    return s.fail("output channel 0 must be enabled with channel 1 joined");
  if (s.rate == 0) s.rate = s.device->check_rate(48000) ? 48000 : 44100;
  Feed feed = [proc = s.proc, user = s.user](void* buffer, std::uint32_t bytes) {
    return proc(false, 0, buffer, bytes, user);
  };
  return s.start(StreamRequest{s.rate, std::min(buflen, kLongestPeriodFrames), 0}, std::move(feed));
}

bool BASS_ASIO_Stop() {
  auto held = state().hold();
  return state().stop();
}

bool BASS_ASIO_IsStarted() {
  auto held = state().hold();
  return state().is_started();
}

bool BASS_ASIO_ChannelPause(bool input, int channel) {
  AsioState& s = state();
  auto held = s.hold();
  if (!s.has_device()) return false;
  if (!is_pair_channel(input, channel)) return s.fail("only output channel 0 pauses");
  s.controls->paused = true;
  s.controls->settle();
  return true;
}

bool BASS_ASIO_ChannelReset(bool input, int channel, std::uint32_t flags) {
  AsioState& s = state();
  auto held = s.hold();
  if (!s.has_device()) return false;
  if (input || channel < -1 || channel > 1) return s.fail("no such output channel");
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
  auto held = state().hold();
  return state().fail("this driver has no control panel");
}

std::string asio_last_error() {
  auto held = state().hold();
  return state().error();
}

}  // namespace sonvale::audiolib
