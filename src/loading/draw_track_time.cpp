#include "loading/draw_track_time.h"

#include "loading/track_time.h"
#include "platform/player_ids.h"

namespace sonvale::loading {
namespace {

constexpr platform::Colour kTextBack = 0xA00000;
constexpr platform::Colour kBlack = 0;

}  // namespace

void draw_track_time(platform::Ui& ui, const PlayQueue& queue, std::int32_t source_rate) {
  const std::optional<TrackTime> t = track_time(queue, source_rate);
  if (!t) {
    show_idle_panel(ui);
    return;
  }
  const int panel = ids::kPanelImage;
  ui.draw_image(panel, ids::kBlankPanelImage, 0, 0);
  ui.draw_text(panel, 10, 5, t->line1, ids::kFontA, platform::kWhite, kTextBack);
  ui.draw_text(panel, 10, 30, t->line2, ids::kFontA, platform::kWhite, kTextBack);
  ui.draw_text(panel, 350, 55, format_clock(t->elapsed_seconds) + " / " + format_clock(t->total_seconds),
               ids::kFontB, platform::kWhite, kTextBack);
  ui.fill_image_rect(panel, platform::Rect{5, 80, 530, 15}, kBlack);
  ui.fill_image_rect(panel, platform::Rect{10, 85, t->bar_width, 5}, t->colour);
  ui.set_gadget_image(ids::kBanner, panel);
}

void show_idle_panel(platform::Ui& ui) { ui.set_gadget_image(ids::kBanner, ids::kBlankPanelImage); }

}  // namespace sonvale::loading
