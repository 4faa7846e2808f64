#pragma once

#include <string>
#include <vector>

namespace sonvale::audiolib::alsa {

// One playback or capture device of a sound card: hw:card,device.
struct PcmDevice {
  int card = 0;
  int device = 0;
  std::string card_name;
  std::string device_name;
  // The device ALSA plays to by default (defaults.pcm.card and .device); playback only.
  bool is_default = false;
};

// Every playback device of every sound card, in card and device order.
std::vector<PcmDevice> list_playback_devices();
// Every capture device of every sound card, in card and device order.
std::vector<PcmDevice> list_capture_devices();

}  // namespace sonvale::audiolib::alsa
