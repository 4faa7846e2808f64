#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "platform/ui.h"

namespace sonvale::shell {

// One gadget of a skinned window as it is built: place, size, first text, font and
// colours, picture, and whether it starts hidden or disabled. Without a font it
// takes the window's default, the first interface font.
struct GadgetRow {
  int number = 0;
  platform::GadgetKind kind = platform::GadgetKind::Text;
  platform::Rect rect;
  std::string_view text;
  int font = -1;
  std::optional<platform::Colour> text_colour;
  std::optional<platform::Colour> back_colour;
  int image = -1;
  bool hidden = false;
  bool disabled = false;
};

void build_gadget(platform::Ui& ui, int window, const GadgetRow& row);
void build_gadgets(platform::Ui& ui, int window, std::span<const GadgetRow> rows);

// The main window's gadgets by group, in the order they are built; the volume row
// and the page lists are made by rule in main_window.cpp.
std::span<const GadgetRow> mode_row();
std::span<const GadgetRow> picture_row();
std::span<const GadgetRow> transport_row();
std::span<const GadgetRow> page_labels();
std::span<const GadgetRow> input_mode_controls();
std::span<const GadgetRow> command_row();

}  // namespace sonvale::shell
