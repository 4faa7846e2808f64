#include "shell/main_window.h"

#include <string>

#include "platform/player_ids.h"
#include "playlist/page_style.h"
#include "shell/main_window_gadgets.h"
#include "shell/skin_images.h"

namespace sonvale::shell {
namespace {

using platform::GadgetKind;
using platform::Rect;
using platform::rgb;

// Volume steps 0 to 30: "Min", the numbers 1 to 29, "Max".
void build_volume_row(platform::Ui& ui) {
  constexpr platform::Colour kGrey = rgb(160, 160, 160);
  constexpr platform::Colour kBrown = rgb(70, 35, 0);
  build_gadget(ui, ids::kMainWindow,
               GadgetRow{ids::volume_step(0), GadgetKind::Text, Rect{15, 161, 30, 18}, "Min", -1, kGrey, kBrown});
  for (int step = 1; step <= 29; ++step) {
    const std::string number = std::to_string(step);
    build_gadget(ui, ids::kMainWindow,
                 GadgetRow{ids::volume_step(step), GadgetKind::Text, Rect{45 + 21 * (step - 1), 161, 21, 18},
                            number, -1, kGrey, kBrown});
  }
  build_gadget(ui, ids::kMainWindow,
               GadgetRow{ids::volume_step(30), GadgetKind::Text, Rect{654, 161, 30, 18}, "Max", -1,
                          platform::kWhite, kBrown});
}

// Each page's list takes the colour of its label.
void build_page_lists(platform::Ui& ui) {
  for (int page = 1; page <= playlist::kPageCount; ++page) {
    const GadgetRow list{ids::page_list(page), GadgetKind::List, Rect{20, 250, 660, 400}, "", -1,
                          platform::kWhite, ui.gadget_back_colour(ids::page_label(page)), -1,
                          page != 1};
    build_gadget(ui, ids::kMainWindow, list);
  }
}

}  // namespace

void build_main_window(platform::Ui& ui, const std::function<void()>& start_counter) {
  using namespace platform;
  if (!ui.open_window(ids::kMainWindow, Rect{0, 0, 700, 700}, "Sonvale",
                      kWindowInvisible | kWindowCentred | kWindowTitleBar))
    return;
  ui.set_window_colour(ids::kMainWindow, rgb(0, 0, 160));
  ui.accept_drops(ids::kMainWindow, true);
  ui.set_default_font(ids::kFontA);
  load_skin_images(ui);

  build_gadgets(ui, ids::kMainWindow, mode_row());
  build_gadgets(ui, ids::kMainWindow, picture_row());
  if (start_counter) start_counter();
  build_volume_row(ui);
  build_gadgets(ui, ids::kMainWindow, transport_row());
  build_gadgets(ui, ids::kMainWindow, page_labels());
  build_page_lists(ui);
  build_gadgets(ui, ids::kMainWindow, input_mode_controls());
  ui.set_bar_range(ids::kCaptureFillBar, 0, 630);
  build_gadgets(ui, ids::kMainWindow, command_row());
}

void show_page(platform::Ui& ui, int page) {
  if (!playlist::is_page(page)) return;
  for (int other = 1; other <= playlist::kPageCount; ++other)
    ui.hide_gadget(ids::page_list(other), other != page);
}

}  // namespace sonvale::shell
