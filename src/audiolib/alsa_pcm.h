#pragma once

#include <optional>
#include <span>
#include <string>

#include "audiolib/device_format.h"
#include "audiolib/device_status.h"
#include "audiolib/device_stream.h"

struct _snd_pcm;
struct _snd_config;

namespace sonvale::audiolib::alsa {

// The format and channel count a device would play at one rate.
struct PcmLayout {
  DeviceFormat format = DeviceFormat::Float32;
  int channels = 2;
};

// The calls a stream makes on its PCM, as Pcm below makes them on alsa-lib; a test
// puts a device of its own behind them, to fail as real ones do.
class PcmPort {
 public:
  virtual ~PcmPort() = default;

  virtual DeviceStatus open(const std::string& name, const std::string& config_text) = 0;
  virtual void close() = 0;
  virtual bool is_open() const = 0;
  virtual std::optional<PcmLayout> find_layout(unsigned rate, std::span<const DeviceFormat> formats) = 0;
  virtual DeviceStatus set_up(unsigned rate, PcmLayout layout, const StreamRequest& request,
                              StreamSetup* setup) = 0;
  virtual long write(const void* data, unsigned long frames) = 0;
  virtual int wait(int timeout_ms) = 0;
  virtual int prepare() = 0;
  virtual int resume() = 0;
};

// What a stream does with the answer of a read or a write that moved no frames
// (`code` <= 0): an xrun is prepared away and a suspend resumed (or, if the card
// cannot resume, prepared) so that the next call goes on; 0 then, as for a device
// that is only busy. Any other error is given back.
long recover_stream(PcmPort& pcm, long code);

enum class PcmStream { Playback, Capture };

// Owns one ALSA PCM, for playback or capture, opened without blocking. Every call
// reports failure as a value; nothing here throws or prints (alsa-lib's own messages
// are silenced).
class Pcm final : public PcmPort {
 public:
  explicit Pcm(PcmStream stream = PcmStream::Playback) : stream_(stream) {}
  Pcm(const Pcm&) = delete;
  Pcm& operator=(const Pcm&) = delete;
  ~Pcm() override { close(); }

  // Opens `name` from the system's configuration, or from `config_text` when that is
  // not empty. Automatic resampling is off unless allowed: a converting plugin such
  // as plughw converts formats but never rates. EBUSY becomes "<name>: Device busy".
  DeviceStatus open(const std::string& name, const std::string& config_text) override;
  // Lets ALSA resample at the next open: only for devices shared with the rest of
  // the system, which run at a rate of their own.
  void allow_resampling() { resampling_ = true; }
  // Discards what is queued and lets the device go.
  void close() override;
  bool is_open() const override { return pcm_ != nullptr; }
  const std::string& name() const { return name_; }

  // What the device would play (or record) at exactly `rate`, interleaved: the first
  // of `formats` it offers, on two channels or, for a device without a stereo mode,
  // the fewest it has (one, a mono microphone, only for capture). Nothing when it
  // refuses the rate or every format.
  std::optional<PcmLayout> find_layout(unsigned rate, std::span<const DeviceFormat> formats) override;

  // Sets the device up for `layout` at `rate` and prepares it. Period and buffer are
  // taken near the request (frames; 0 = 25 ms periods, four to the buffer); playback
  // begins by itself once the buffer is full, capture at the first read.
  DeviceStatus set_up(unsigned rate, PcmLayout layout, const StreamRequest& request,
                      StreamSetup* setup) override;

  // snd_pcm_writei: frames written or a negative errno (-EAGAIN when full).
  long write(const void* data, unsigned long frames) override;
  // snd_pcm_readi: frames read or a negative errno (-EAGAIN when none are ready).
  long read(void* data, unsigned long frames);
  // Waits for room for a period (or, capturing, for a period to read), at most
  // `timeout_ms`; negative errno on a device fault.
  int wait(int timeout_ms) override;
  // Brings the device back after an underrun.
  int prepare() override;
  // Brings the device back after a suspend; -EAGAIN while it is not ready yet.
  int resume() override;

 private:
  DeviceStatus failure(int code, const char* step) const;

  PcmStream stream_;
  bool resampling_ = false;
  _snd_pcm* pcm_ = nullptr;
  _snd_config* config_ = nullptr;  // the definition the PCM was opened from, if any
  std::string name_;
};

// Failures are reported by our callers as values; alsa-lib would also print its own
// messages to standard error. Called before the first use of alsa-lib.
void silence_library_messages();

// "<what>: <reason>", with "Device busy" for EBUSY.
std::string describe_error(const std::string& what, int code);

}  // namespace sonvale::audiolib::alsa
