#pragma once

#include <memory>
#include <string>
#include <vector>

#include "audiolib/alsa_pcm.h"
#include "audiolib/capture_stream.h"

namespace sonvale::audiolib {

// A recording device reached through ALSA. The device's own format is negotiated
// (float first, then the widest integer) and converted here. A device that does not
// record at the rate asked for is opened again as `fallback_name` (plughw:C,D for
// hw:C,D), where ALSA resamples; none when that is empty.
class AlsaCaptureStream final : public CaptureStream {
 public:
  // `config_text`, when not empty, defines `pcm_name` instead of the system's
  // configuration.
  AlsaCaptureStream(std::string pcm_name, std::string config_text, std::string fallback_name = {});

  DeviceStatus open() override;
  void close() override;
  DeviceStatus configure(unsigned rate, unsigned period_frames) override;
  unsigned period_frames() const override { return setup_.period_frames; }
  // Recovers from an overrun or a suspend by itself; any other error is a lost device.
  long read(float* stereo, unsigned long frames) override;
  void wait(int timeout_ms) override;

 private:
  std::string pcm_name_;
  std::string config_text_;
  std::string fallback_name_;
  std::unique_ptr<alsa::Pcm> pcm_;
  StreamSetup setup_;
  std::vector<std::byte> recorded_;  // one period in the device's format
};

}  // namespace sonvale::audiolib
