#include "audiolib/alsa_pcm.h"

#include <alsa/asoundlib.h>

#include <cerrno>
#include <memory>
#include <mutex>

namespace sonvale::audiolib::alsa {
namespace {

using HwParams = std::unique_ptr<snd_pcm_hw_params_t, decltype(&snd_pcm_hw_params_free)>;
using SwParams = std::unique_ptr<snd_pcm_sw_params_t, decltype(&snd_pcm_sw_params_free)>;

HwParams make_hw_params() {
  snd_pcm_hw_params_t* params = nullptr;
  snd_pcm_hw_params_malloc(&params);
  return {params, &snd_pcm_hw_params_free};
}

SwParams make_sw_params() {
  snd_pcm_sw_params_t* params = nullptr;
  snd_pcm_sw_params_malloc(&params);
  return {params, &snd_pcm_sw_params_free};
}

snd_pcm_format_t alsa_format(DeviceFormat format) {
  switch (format) {
    case DeviceFormat::Float32:
      return SND_PCM_FORMAT_FLOAT_LE;
    case DeviceFormat::S32:
      return SND_PCM_FORMAT_S32_LE;
    case DeviceFormat::S24In4:
      return SND_PCM_FORMAT_S24_LE;
    case DeviceFormat::S24Packed:
      return SND_PCM_FORMAT_S24_3LE;
    case DeviceFormat::S16:
      return SND_PCM_FORMAT_S16_LE;
  }
  return SND_PCM_FORMAT_UNKNOWN;
}

void ignore_library_error(const char*, int, const char*, int, const char*, ...) {}

// Interleaved access at exactly `rate`, with resampling off unless allowed.
int restrict_to_rate(snd_pcm_t* pcm, snd_pcm_hw_params_t* params, unsigned rate, bool resampling) {
  int err = snd_pcm_hw_params_any(pcm, params);
  if (err >= 0) err = snd_pcm_hw_params_set_rate_resample(pcm, params, resampling ? 1 : 0);
  if (err >= 0) err = snd_pcm_hw_params_set_access(pcm, params, SND_PCM_ACCESS_RW_INTERLEAVED);
  if (err >= 0) err = snd_pcm_hw_params_set_rate(pcm, params, rate, 0);
  return err;
}

}  // namespace

void silence_library_messages() {
  static std::once_flag once;
  std::call_once(once, [] { snd_lib_error_set_handler(ignore_library_error); });
}

std::string describe_error(const std::string& what, int code) {
  return what + ": " + (code == -EBUSY ? "Device busy" : snd_strerror(code));
}

DeviceStatus Pcm::failure(int code, const char* step) const {
  return DeviceStatus::failure(code, describe_error(name_ + " (" + step + ")", code));
}

DeviceStatus Pcm::open(const std::string& name, const std::string& config_text) {
  close();
  silence_library_messages();
  name_ = name;
  const int mode = SND_PCM_NONBLOCK | (resampling_ ? 0 : SND_PCM_NO_AUTO_RESAMPLE);
  const snd_pcm_stream_t stream =
      stream_ == PcmStream::Capture ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK;
  int err = 0;
  if (config_text.empty()) {
    err = snd_pcm_open(&pcm_, name.c_str(), stream, mode);
  } else {
    err = snd_config_load_string(&config_, config_text.c_str(), config_text.size());
    if (err >= 0) err = snd_pcm_open_lconf(&pcm_, name.c_str(), stream, mode, config_);
  }
  if (err < 0) {
    pcm_ = nullptr;
    close();
    return DeviceStatus::failure(err, describe_error(name, err));
  }
  return DeviceStatus::fine();
}

void Pcm::close() {
  if (pcm_ != nullptr) {
    // Dropping flushes what a plugin (the file device) still holds; a PCM that was
    // never set up has nothing to drop.
    if (snd_pcm_state(pcm_) != SND_PCM_STATE_OPEN) snd_pcm_drop(pcm_);
    snd_pcm_close(pcm_);
    pcm_ = nullptr;
  }
  if (config_ != nullptr) {
    snd_config_delete(config_);
    config_ = nullptr;
  }
}

std::optional<PcmLayout> Pcm::find_layout(unsigned rate, std::span<const DeviceFormat> formats) {
  if (pcm_ == nullptr) return std::nullopt;
  HwParams base = make_hw_params();
  HwParams trial = make_hw_params();
  if (!base || !trial || restrict_to_rate(pcm_, base.get(), rate, resampling_) < 0) return std::nullopt;
  const unsigned fewest_taken = stream_ == PcmStream::Capture ? 1 : 3;
  for (DeviceFormat format : formats) {
    snd_pcm_hw_params_copy(trial.get(), base.get());
    if (snd_pcm_hw_params_set_format(pcm_, trial.get(), alsa_format(format)) < 0) continue;
    if (snd_pcm_hw_params_test_channels(pcm_, trial.get(), 2) == 0) return PcmLayout{format, 2};
    unsigned fewest = 0;
    if (snd_pcm_hw_params_get_channels_min(trial.get(), &fewest) == 0 && fewest >= fewest_taken)
      return PcmLayout{format, static_cast<int>(fewest)};
  }
  return std::nullopt;
}

DeviceStatus Pcm::set_up(unsigned rate, PcmLayout layout, const StreamRequest& request,
                         StreamSetup* setup) {
  if (pcm_ == nullptr) return DeviceStatus::failure(-EBADFD, name_ + ": not open");
  HwParams hw = make_hw_params();
  SwParams sw = make_sw_params();
  if (!hw || !sw) return failure(-ENOMEM, "parameters");
  int err = restrict_to_rate(pcm_, hw.get(), rate, resampling_);
  if (err < 0) return failure(err, "rate");
  err = snd_pcm_hw_params_set_format(pcm_, hw.get(), alsa_format(layout.format));
  if (err < 0) return failure(err, "format");
  err = snd_pcm_hw_params_set_channels(pcm_, hw.get(), static_cast<unsigned>(layout.channels));
  if (err < 0) return failure(err, "channels");

  // Near values: the device rounds them to what it can do.
  snd_pcm_uframes_t period = request.period_frames;
  if (period == 0) period = request.buffer_frames != 0 ? request.buffer_frames / 4 : rate / 40;
  if (period == 0) period = 1;
  snd_pcm_uframes_t buffer = request.buffer_frames != 0 ? request.buffer_frames : 4 * period;
  snd_pcm_hw_params_set_buffer_size_near(pcm_, hw.get(), &buffer);
  snd_pcm_hw_params_set_period_size_near(pcm_, hw.get(), &period, nullptr);
  err = snd_pcm_hw_params(pcm_, hw.get());
  if (err < 0) return failure(err, "hardware parameters");
  snd_pcm_hw_params_get_period_size(hw.get(), &period, nullptr);
  snd_pcm_hw_params_get_buffer_size(hw.get(), &buffer);

  err = snd_pcm_sw_params_current(pcm_, sw.get());
  const snd_pcm_uframes_t start = stream_ == PcmStream::Capture ? 1 : buffer;
  if (err >= 0) err = snd_pcm_sw_params_set_start_threshold(pcm_, sw.get(), start);
  if (err >= 0) err = snd_pcm_sw_params_set_avail_min(pcm_, sw.get(), period);
  if (err >= 0) err = snd_pcm_sw_params(pcm_, sw.get());
  if (err < 0) return failure(err, "software parameters");

  setup->rate = rate;
  setup->format = layout.format;
  setup->channels = layout.channels;
  setup->period_frames = static_cast<unsigned>(period);
  setup->buffer_frames = static_cast<unsigned>(buffer);
  return DeviceStatus::fine();
}

long Pcm::write(const void* data, unsigned long frames) {
  if (pcm_ == nullptr) return -EBADFD;
  return snd_pcm_writei(pcm_, data, frames);
}

long Pcm::read(void* data, unsigned long frames) {
  if (pcm_ == nullptr) return -EBADFD;
  return snd_pcm_readi(pcm_, data, frames);
}

int Pcm::wait(int timeout_ms) { return pcm_ != nullptr ? snd_pcm_wait(pcm_, timeout_ms) : -EBADFD; }

int Pcm::prepare() { return pcm_ != nullptr ? snd_pcm_prepare(pcm_) : -EBADFD; }

int Pcm::resume() { return pcm_ != nullptr ? snd_pcm_resume(pcm_) : -EBADFD; }

long recover_stream(PcmPort& pcm, long code) {
  switch (code) {
    case -EAGAIN:
    case -EINTR:
      return 0;
    case -EPIPE: {  // under- or overrun
      const int err = pcm.prepare();
      return err < 0 ? err : 0;
    }
    case -ESTRPIPE: {  // suspended
      int err = pcm.resume();
      if (err == -EAGAIN) return 0;
      if (err < 0) err = pcm.prepare();
      return err < 0 ? err : 0;
    }
    default:
      return code;
  }
}

}  // namespace sonvale::audiolib::alsa
