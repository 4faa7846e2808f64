#include "output/device_start.h"

#include <string>

#include "audiolib/asio.h"
#include "audiolib/bass.h"
#include "audiolib/wasapi.h"
#include "output/card_borrowing.h"
#include "platform/player_ids.h"

namespace sonvale::output {

using namespace audiolib;

void show_rate(platform::Ui& ui, std::string_view text) { ui.set_gadget_text(ids::kRateDisplay, text); }

// A card that the sound server holds is borrowed first; a server that will not let
// it go fails the start as a device that refuses does.
bool open_device(Player& p, std::int32_t rate, bool set_rate_as_test) {
  if (!borrow_card(p)) return false;
  if (p.output.mode == kOutputAsio) {
    if (!BASS_ASIO_Init(p.output.asio_device, kAsioThread)) return false;
    if (set_rate_as_test) return BASS_ASIO_SetRate(rate);
    if (!BASS_ASIO_CheckRate(rate)) return false;
    BASS_ASIO_SetRate(rate);
    return true;
  }
  BASS_WASAPI_Free();
  if (BASS_WASAPI_CheckFormat(p.output.wasapi_device, static_cast<std::uint32_t>(rate), 2, kWasapiExclusive) < 0)
    return false;
  return BASS_WASAPI_Init(p.output.wasapi_device, static_cast<std::uint32_t>(rate), 2, kWasapiExclusive, 0.2f,
                          0.0f, &wasapi_feed_callback, &p.feed);
}

void start_device(Player& p) {
  if (p.output.mode == kOutputAsio) {
    BASS_ASIO_ChannelEnable(false, 0, &asio_feed_callback, &p.feed);
    BASS_ASIO_ChannelJoin(false, 1, 0);
    BASS_ASIO_ChannelSetFormat(false, 0, kAsioFormatFloat);
    BASS_ASIO_ChannelSetVolume(false, -1, p.volume);
    BASS_ASIO_Start(0);
  } else {
    BASS_WASAPI_SetVolume(kWasapiCurveLinear, p.volume);
    BASS_WASAPI_Start();
  }
}

void report_device_failure(Player& p, std::int32_t rate) {
  const bool asio = p.output.mode == kOutputAsio;
  if (asio) BASS_ASIO_Free();
  BASS_StreamFree(p.playback.current_decoder.load());
  show_rate(p.ui, "Reject");
  if (asio)
    p.ui.message_box("ASIO didn't set " + std::to_string(rate) + "Hz or other error.",
                     "Could you check ASIO devices?", platform::kIconError);
  else
    p.ui.message_box("WASAPI didn't set " + std::to_string(rate) + "Hz or other error.",
                     "Could you set EXCLUSIVE mode?\n\rWe recomend \"ASIO\" .\n\rYour product supoort this mode ?",
                     platform::kIconError);
}

}  // namespace sonvale::output
