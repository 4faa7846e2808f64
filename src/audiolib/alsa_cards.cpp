#include "audiolib/alsa_cards.h"

#include <alsa/asoundlib.h>

#include <memory>

#include "audiolib/alsa_pcm.h"

namespace sonvale::audiolib::alsa {
namespace {

struct CtlCloser {
  void operator()(snd_ctl_t* ctl) const { snd_ctl_close(ctl); }
};
using Ctl = std::unique_ptr<snd_ctl_t, CtlCloser>;
using CardInfo = std::unique_ptr<snd_ctl_card_info_t, decltype(&snd_ctl_card_info_free)>;
using PcmInfo = std::unique_ptr<snd_pcm_info_t, decltype(&snd_pcm_info_free)>;

// A number from the system's ALSA configuration; a card may be given by its id.
int configured_number(const char* key, int otherwise) {
  snd_config_t* node = nullptr;
  if (snd_config_update() < 0 || snd_config_search(snd_config, key, &node) < 0) return otherwise;
  long number = 0;
  if (snd_config_get_integer(node, &number) == 0) return static_cast<int>(number);
  const char* text = nullptr;
  if (snd_config_get_string(node, &text) == 0) {
    const int card = snd_card_get_index(text);
    if (card >= 0) return card;
  }
  return otherwise;
}

void add_card(int card, snd_pcm_stream_t stream, std::vector<PcmDevice>& devices) {
  snd_ctl_t* raw = nullptr;
  if (snd_ctl_open(&raw, ("hw:" + std::to_string(card)).c_str(), 0) < 0) return;
  Ctl ctl(raw);
  snd_ctl_card_info_t* card_raw = nullptr;
  snd_pcm_info_t* pcm_raw = nullptr;
  snd_ctl_card_info_malloc(&card_raw);
  snd_pcm_info_malloc(&pcm_raw);
  CardInfo card_info(card_raw, &snd_ctl_card_info_free);
  PcmInfo pcm_info(pcm_raw, &snd_pcm_info_free);
  if (!card_info || !pcm_info || snd_ctl_card_info(ctl.get(), card_info.get()) < 0) return;
  const std::string card_name = snd_ctl_card_info_get_name(card_info.get());
  for (int device = -1; snd_ctl_pcm_next_device(ctl.get(), &device) == 0 && device >= 0;) {
    snd_pcm_info_set_device(pcm_info.get(), static_cast<unsigned>(device));
    snd_pcm_info_set_subdevice(pcm_info.get(), 0);
    snd_pcm_info_set_stream(pcm_info.get(), stream);
    if (snd_ctl_pcm_info(ctl.get(), pcm_info.get()) < 0) continue;  // the other direction only
    devices.push_back({card, device, card_name, snd_pcm_info_get_name(pcm_info.get()), false});
  }
}

}  // namespace

std::vector<PcmDevice> list_playback_devices() {
  silence_library_messages();
  std::vector<PcmDevice> devices;
  for (int card = -1; snd_card_next(&card) == 0 && card >= 0;) add_card(card, SND_PCM_STREAM_PLAYBACK, devices);

  const int default_card = configured_number("defaults.pcm.card", 0);
  const int default_device = configured_number("defaults.pcm.device", 0);
  PcmDevice* chosen = nullptr;
  for (PcmDevice& d : devices) {
    if (d.card != default_card) continue;
    if (chosen == nullptr || d.device == default_device) chosen = &d;
    if (d.device == default_device) break;
  }
  if (chosen != nullptr) chosen->is_default = true;
  return devices;
}

std::vector<PcmDevice> list_capture_devices() {
  silence_library_messages();
  std::vector<PcmDevice> devices;
  for (int card = -1; snd_card_next(&card) == 0 && card >= 0;) add_card(card, SND_PCM_STREAM_CAPTURE, devices);
  return devices;
}

}  // namespace sonvale::audiolib::alsa
