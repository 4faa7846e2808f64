#include "output/card_borrowing.h"

#include <charconv>

#include "audiolib/asio.h"
#include "audiolib/device_catalog.h"
#include "audiolib/wasapi.h"

namespace sonvale::output {

std::optional<int> card_of_pcm(std::string_view pcm) {
  for (std::string_view prefix : {"hw:", "plughw:"}) {
    if (!pcm.starts_with(prefix)) continue;
    const std::string_view rest = pcm.substr(prefix.size());
    int card = -1;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), card);
    if (error != std::errc{} || card < 0 || (end != rest.data() + rest.size() && *end != ',')) return std::nullopt;
    return card;
  }
  return std::nullopt;
}

std::optional<int> card_of_choice(const OutputChoice& choice) {
  if (choice.mode == kOutputAsio) {
    const auto entry = audiolib::asio_driver_entry(choice.asio_device);
    if (entry && entry->kind == audiolib::AsioDriverEntry::Kind::Hardware) return card_of_pcm(entry->driver);
  } else if (choice.mode == kOutputWasapi) {
    if (const auto entry = audiolib::wasapi_device_entry(choice.wasapi_device)) return card_of_pcm(entry->pcm);
  }
  return std::nullopt;
}

bool borrow_card(Player& p) {
  if (p.card_reservation == nullptr) return true;
  if (const std::optional<int> card = p.card_of(p.output)) return p.card_reservation->acquire(*card);
  p.card_reservation->release();
  return true;
}

void return_card(Player& p) {
  if (p.card_reservation == nullptr || p.card_reservation->held_card() < 0) return;
  // Its holder can only take the card again once we have closed it.
  audiolib::BASS_ASIO_Free();
  audiolib::BASS_WASAPI_Free();
  p.card_reservation->release();
}

}  // namespace sonvale::output
