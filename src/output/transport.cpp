#include "output/transport.h"

#include "output/output_choice.h"
#include "platform/player_ids.h"
#include "platform/time.h"
#include "playlist/page_style.h"

namespace sonvale::output {

void paint_transport_buttons(platform::Ui& ui, int page) {
  const platform::Colour colour =
      playlist::is_page(page) ? ui.gadget_back_colour(ids::page_label(page)) : platform::kNavy;
  for (int gadget : {ids::kPlayButton, ids::kSkipButton, ids::kStopButton, ids::kPauseButton})
    ui.set_gadget_back_colour(gadget, colour);
}

void show_output_type(platform::Ui& ui, std::int8_t output_mode) {
  if (output_mode != kOutputAsio && output_mode != kOutputWasapi) return;
  const bool asio = output_mode == kOutputAsio;
  ui.set_gadget_text(ids::kOutputTypeLabel, asio ? "ASIO" : "WASAPI");
  ui.hide_gadget(ids::kPauseButton, !asio);
}

ButtonFlash::ButtonFlash(int lowest) : random_(platform::tick_count()), light_(lowest, 254) {}

platform::Colour ButtonFlash::next() { return platform::rgb(light_(random_), light_(random_), light_(random_)); }

}  // namespace sonvale::output
