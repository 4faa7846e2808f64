#pragma once

#include <memory>
#include <string>

#include "audiolib/alsa_pcm.h"
#include "audiolib/device_stream.h"

namespace sonvale::audiolib {

// A playback device reached through ALSA.
class AlsaStream final : public DeviceStream {
 public:
  enum class Kind {
    // The device's own format is negotiated (float first) and converted here;
    // meant for hw: devices, opened directly.
    Native,
    // Float at the interface, converted by ALSA (plughw:), which never resamples.
    Converting,
    // Float at the interface, converted and resampled by ALSA: a device shared with
    // the rest of the system, such as "default", on a Pcm that allows resampling.
    Shared,
  };

  // `config_text`, when not empty, defines `pcm_name` instead of the system's
  // configuration. `pcm` is the device's PCM, alsa-lib's unless a test gives another.
  AlsaStream(std::string pcm_name, std::string config_text, Kind kind,
             std::unique_ptr<alsa::PcmPort> pcm = std::make_unique<alsa::Pcm>());

  DeviceStatus open() override;
  void close() override;
  bool is_open() const override { return pcm_->is_open(); }
  bool supports_rate(unsigned rate) override;
  DeviceStatus configure(const StreamRequest& request) override;
  const StreamSetup& setup() const override { return setup_; }
  // Recovers from an underrun or a suspend by itself; any other error is a lost device.
  long write(const std::byte* data, unsigned long frames) override;
  void wait(unsigned long frames, int timeout_ms) override;

 private:
  std::string pcm_name_;
  std::string config_text_;
  Kind kind_;
  std::unique_ptr<alsa::PcmPort> pcm_;
  StreamSetup setup_;
};

}  // namespace sonvale::audiolib
