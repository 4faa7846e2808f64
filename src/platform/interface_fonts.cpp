#include "platform/interface_fonts.h"

#include "platform/player_ids.h"

namespace sonvale::platform {

int points_for_density(int points_at_96, int dpi) {
  if (dpi <= 0) return points_at_96;
  return points_at_96 * 96 / dpi;
}

std::string interface_face(const Ui& ui) {
  for (std::string_view face : kInterfaceFaces)
    if (ui.has_face(face)) return std::string(face);
  std::string face = ui.default_gui_face();
  return face.empty() ? std::string("System") : face;
}

void create_interface_fonts(Ui& ui) {
  const std::string face = interface_face(ui);
  const int dpi = ui.screen_dpi();
  ui.load_font(ids::kFontA, face, points_for_density(12, dpi));
  ui.load_font(ids::kFontB, face, points_for_density(16, dpi));
}

int points_to_pixels(int points, int dpi) {
  if (dpi <= 0) dpi = 96;
  return (points * dpi + 36) / 72;
}

}  // namespace sonvale::platform
