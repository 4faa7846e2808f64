#include "audiolib/alsa_stream.h"

#include <cerrno>

#include "platform/time.h"

namespace sonvale::audiolib {
namespace {

constexpr DeviceFormat kFloatOnly[] = {DeviceFormat::Float32};

}  // namespace

AlsaStream::AlsaStream(std::string pcm_name, std::string config_text, Kind kind,
                       std::unique_ptr<alsa::PcmPort> pcm)
    : pcm_name_(std::move(pcm_name)), config_text_(std::move(config_text)), kind_(kind), pcm_(std::move(pcm)) {}

DeviceStatus AlsaStream::open() {
  if (pcm_->is_open()) return DeviceStatus::fine();
  return pcm_->open(pcm_name_, config_text_);
}

void AlsaStream::close() { pcm_->close(); }

bool AlsaStream::supports_rate(unsigned rate) {
  if (kind_ != Kind::Native) return pcm_->find_layout(rate, kFloatOnly).has_value();
  return pcm_->find_layout(rate, kPreferredFormats).has_value();
}

DeviceStatus AlsaStream::configure(const StreamRequest& request) {
  const auto layout = kind_ != Kind::Native ? pcm_->find_layout(request.rate, kFloatOnly)
                                            : pcm_->find_layout(request.rate, kPreferredFormats);
  if (!layout)
    return DeviceStatus::failure(
        -EINVAL, pcm_name_ + ": no stereo format at " + std::to_string(request.rate) + " Hz");
  return pcm_->set_up(request.rate, *layout, request, &setup_);
}

long AlsaStream::write(const std::byte* data, unsigned long frames) {
  const long written = pcm_->write(data, frames);
  if (written >= 0) return written;
  // After an underrun the device starts again once its buffer is full.
  return recover_stream(*pcm_, written);
}

void AlsaStream::wait(unsigned long, int timeout_ms) {
  // A faulty device answers at once; the next write tells what happened, and the
  // pause keeps a device that keeps answering so from spinning the thread.
  if (pcm_->wait(timeout_ms) < 0) platform::sleep_ms(1);
}

}  // namespace sonvale::audiolib
