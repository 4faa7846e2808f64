#include "audiolib/system_sound.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "audiolib/alsa_stream.h"
#include "audiolib/device_null_stream.h"
#include "audiolib/device_output.h"
#include "audiolib/pcm_wav.h"
#include "audiolib/played_frames.h"

namespace sonvale::audiolib {
namespace {

using Samples = std::shared_ptr<const std::vector<float>>;

struct SystemSound {
  // Held by every call; never while the output's thread is waited for under
  // `playing_lock`.
  std::mutex control;
  std::map<int, Samples> sounds;
  std::string pcm = "default";
  std::string config;
  std::unique_ptr<StreamOutput> output;
  bool audible = false;

  // Guards what plays: the output's thread reads it for every period.
  std::mutex playing_lock;
  Samples playing;
  int playing_sound = -1;
  std::size_t position = 0;  // next frame
  bool loop = false;
  float gain = 1.0f;

  // One device period: the sound from where it stands, silence after a single play.
  std::uint32_t feed(void* buffer, std::uint32_t bytes) {
    auto* out = static_cast<float*>(buffer);
    const std::size_t frames = bytes / 8;
    {
      std::lock_guard guard(playing_lock);
      const std::size_t length = playing ? playing->size() / 2 : 0;
      for (std::size_t f = 0; f < frames; ++f) {
        if (position >= length && loop && length > 0) position = 0;
        const bool sounding = position < length;
        out[2 * f] = sounding ? (*playing)[2 * position] * gain : 0.0f;
        out[2 * f + 1] = sounding ? (*playing)[2 * position + 1] * gain : 0.0f;
        if (sounding) ++position;
      }
    }
    played_frames().push(out, frames);
    return static_cast<std::uint32_t>(frames * 8);
  }

  // Control held.
  void stop_output() {
    if (output) output->stop();
    output.reset();
    audible = false;
    std::lock_guard guard(playing_lock);
    playing.reset();
    playing_sound = -1;
  }

  // Control held: the ALSA device when it takes the sound, else the silent sink.
  void start_output() {
    const StreamRequest request{kSystemSoundRate, 0, 0};
    const Feed to_device = [this](void* buffer, std::uint32_t bytes) { return feed(buffer, bytes); };
    auto enabled = [] {
      auto controls = std::make_shared<FeedControls>();
      controls->enabled = true;
      return controls;
    };
    if (!pcm.empty()) {
      output = std::make_unique<StreamOutput>([name = pcm, text = config] {
        auto resampling = std::make_unique<alsa::Pcm>();
        resampling->allow_resampling();
        return std::make_shared<AlsaStream>(name, text, AlsaStream::Kind::Shared, std::move(resampling));
      });
      audible = output->start(request, to_device, enabled()).ok();
      if (audible) return;
    }
    output = std::make_unique<StreamOutput>([] { return std::make_shared<NullStream>(); });
    output->start(request, to_device, enabled());
  }
};

SystemSound& system_sound() {
  static SystemSound instance;
  return instance;
}

}  // namespace

bool system_sound_load(int sound, std::span<const std::uint8_t> wav) {
  std::optional<PcmSound> read = read_pcm16_wav(wav);
  if (!read || read->rate != kSystemSoundRate) return false;
  SystemSound& s = system_sound();
  std::lock_guard guard(s.control);
  if (s.playing_sound == sound) s.stop_output();
  s.sounds[sound] = std::make_shared<const std::vector<float>>(std::move(read->samples));
  return true;
}

bool system_sound_play(int sound, bool loop, int volume) {
  SystemSound& s = system_sound();
  std::lock_guard guard(s.control);
  const auto found = s.sounds.find(sound);
  if (found == s.sounds.end()) return false;
  s.stop_output();
  played_frames().clear();
  {
    std::lock_guard playing(s.playing_lock);
    s.playing = found->second;
    s.playing_sound = sound;
    s.position = 0;
    s.loop = loop;
    s.gain = static_cast<float>(std::clamp(volume, 0, 100)) / 100.0f;
  }
  s.start_output();
  return true;
}

void system_sound_stop(int sound) {
  SystemSound& s = system_sound();
  std::lock_guard guard(s.control);
  if (s.playing_sound == sound) s.stop_output();
  played_frames().clear();
}

void system_sound_free(int sound) {
  SystemSound& s = system_sound();
  std::lock_guard guard(s.control);
  if (s.playing_sound == sound) s.stop_output();
  s.sounds.erase(sound);
}

void system_sound_set_device(std::string pcm, std::string config) {
  SystemSound& s = system_sound();
  std::lock_guard guard(s.control);
  s.pcm = std::move(pcm);
  s.config = std::move(config);
}

bool system_sound_audible() {
  SystemSound& s = system_sound();
  std::lock_guard guard(s.control);
  return s.audible;
}

}  // namespace sonvale::audiolib
