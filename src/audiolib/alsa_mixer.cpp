#include "audiolib/alsa_mixer.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cmath>

#include "audiolib/alsa_pcm.h"

namespace sonvale::audiolib::alsa {

bool CaptureMixer::open(int card) {
  close();
  silence_library_messages();
  snd_mixer_t* mixer = nullptr;
  if (snd_mixer_open(&mixer, 0) < 0) return false;
  const std::string name = "hw:" + std::to_string(card);
  if (snd_mixer_attach(mixer, name.c_str()) < 0 || snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 ||
      snd_mixer_load(mixer) < 0) {
    snd_mixer_close(mixer);
    return false;
  }
  mixer_ = mixer;
  for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer); e != nullptr; e = snd_mixer_elem_next(e)) {
    if (!snd_mixer_selem_is_active(e)) continue;
    if (!snd_mixer_selem_has_capture_switch(e) && !snd_mixer_selem_has_capture_volume(e)) continue;
    std::string label = snd_mixer_selem_get_name(e);
    if (const unsigned index = snd_mixer_selem_get_index(e); index > 0) label += " " + std::to_string(index);
    names_.push_back(std::move(label));
    elements_.push_back(e);
  }
  return true;
}

void CaptureMixer::close() {
  names_.clear();
  elements_.clear();
  if (mixer_ != nullptr) snd_mixer_close(mixer_);
  mixer_ = nullptr;
}

bool CaptureMixer::set_input(int input, std::optional<bool> on, std::optional<float> volume) {
  if (input < 0 || static_cast<std::size_t>(input) >= elements_.size()) return false;
  auto* e = static_cast<snd_mixer_elem_t*>(elements_[static_cast<std::size_t>(input)]);
  if (on && snd_mixer_selem_has_capture_switch(e)) snd_mixer_selem_set_capture_switch_all(e, *on ? 1 : 0);
  if (volume && snd_mixer_selem_has_capture_volume(e)) {
    long low = 0, high = 0;
    if (snd_mixer_selem_get_capture_volume_range(e, &low, &high) == 0 && high >= low) {
      const double share = std::clamp(static_cast<double>(*volume), 0.0, 1.0);
      snd_mixer_selem_set_capture_volume_all(e, low + std::lround(share * static_cast<double>(high - low)));
    }
  }
  return true;
}

}  // namespace sonvale::audiolib::alsa
