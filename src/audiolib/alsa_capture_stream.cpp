#include "audiolib/alsa_capture_stream.h"

#include <algorithm>
#include <cerrno>

#include "platform/time.h"

namespace sonvale::audiolib {
namespace {

constexpr DeviceFormat kFloatOnly[] = {DeviceFormat::Float32};

}  // namespace

AlsaCaptureStream::AlsaCaptureStream(std::string pcm_name, std::string config_text, std::string fallback_name)
    : pcm_name_(std::move(pcm_name)),
      config_text_(std::move(config_text)),
      fallback_name_(std::move(fallback_name)),
      pcm_(std::make_unique<alsa::Pcm>(alsa::PcmStream::Capture)) {}

DeviceStatus AlsaCaptureStream::open() {
  if (pcm_->is_open()) return DeviceStatus::fine();
  return pcm_->open(pcm_name_, config_text_);
}

void AlsaCaptureStream::close() {
  pcm_->close();
  // The next open starts from the device itself again.
  pcm_ = std::make_unique<alsa::Pcm>(alsa::PcmStream::Capture);
}

DeviceStatus AlsaCaptureStream::configure(unsigned rate, unsigned period_frames) {
  std::optional<alsa::PcmLayout> layout = pcm_->find_layout(rate, kPreferredFormats);
  if (!layout && !fallback_name_.empty()) {
    auto resampled = std::make_unique<alsa::Pcm>(alsa::PcmStream::Capture);
    resampled->allow_resampling();
    pcm_->close();
    if (const DeviceStatus opened = resampled->open(fallback_name_, {}); !opened.ok()) return opened;
    pcm_ = std::move(resampled);
    layout = pcm_->find_layout(rate, kFloatOnly);
  }
  if (!layout)
    return DeviceStatus::failure(-EINVAL, pcm_name_ + ": does not record at " + std::to_string(rate) + " Hz");
  const DeviceStatus status = pcm_->set_up(rate, *layout, StreamRequest{rate, period_frames, 0}, &setup_);
  if (status.ok())
    recorded_.assign(std::size_t{setup_.period_frames} * static_cast<std::size_t>(setup_.channels) *
                         static_cast<std::size_t>(bytes_per_sample(setup_.format)),
                     std::byte{0});
  return status;
}

long AlsaCaptureStream::read(float* stereo, unsigned long frames) {
  frames = std::min<unsigned long>(frames, setup_.period_frames);
  const long got = pcm_->read(recorded_.data(), frames);
  if (got > 0) {
    convert_to_stereo(recorded_.data(), static_cast<std::size_t>(got), setup_.format, setup_.channels, stereo);
    return got;
  }
  // After an overrun what did not fit is lost; recording goes on at the next read.
  return recover_stream(*pcm_, got);
}

void AlsaCaptureStream::wait(int timeout_ms) {
  // A faulty device answers at once; the next read tells what happened.
  if (pcm_->wait(timeout_ms) < 0) platform::sleep_ms(1);
}

}  // namespace sonvale::audiolib
