#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/colour.h"
#include "platform/geometry.h"
#include "platform/player_ids.h"
#include "platform/ui.h"

namespace sonvale::test {

// The main window as the skin describes it, gadget by gadget in building order.
struct ExpectedGadget {
  int number;
  platform::GadgetKind kind;
  platform::Rect rect;
  std::string text;
  int font;  // ids::kFontA or ids::kFontB
  std::optional<platform::Colour> text_colour;
  std::optional<platform::Colour> back_colour;
  int image = -1;
  bool hidden = false;
  bool disabled = false;
};

inline std::vector<ExpectedGadget> expected_main_window() {
  using platform::GadgetKind;
  using platform::Rect;
  using platform::rgb;
  constexpr auto kText = GadgetKind::Text;
  const platform::Colour white = rgb(255, 255, 255), navy = rgb(0, 0, 96), grey = rgb(160, 160, 160),
                         brown = rgb(70, 35, 0), dark = rgb(0, 0, 48), sky = rgb(15, 135, 255);
  const int a = ids::kFontA, b = ids::kFontB;
  std::vector<ExpectedGadget> table{
      {2, kText, Rect{10, 31, 100, 20}, "x 1", a, white, navy},
      {3, kText, Rect{130, 31, 100, 20}, "x 2", a, white, navy},
      {4, kText, Rect{250, 31, 100, 20}, "x 4", a, white, navy},
      {5, kText, Rect{370, 31, 75, 20}, "0", a, white, navy},
      {6, kText, Rect{460, 31, 50, 20}, "LPF", a, white, navy},
      {33, kText, Rect{525, 31, 50, 20}, "( O )", a, white, navy},
      {7, kText, Rect{590, 31, 70, 20}, "Setting", a, white, navy},
      {11, GadgetKind::Image, Rect{5, 60, 140, 70}, "", a, {}, {}, 3, false, true},
      {12, GadgetKind::Image, Rect{5, 130, 140, 30}, "", a, {}, {}, 4, false, true},
      {10, GadgetKind::Image, Rect{150, 60, 540, 100}, "", a, {}, {}, 6, false, true},
      {34, kText, Rect{15, 161, 30, 18}, "Min", a, grey, brown},
  };
  for (int n = 35; n <= 63; ++n)
    table.push_back({n, kText, Rect{45 + 21 * (n - 35), 161, 21, 18}, std::to_string(n - 34), a, grey, brown});
  const std::vector<ExpectedGadget> rest{
      {64, kText, Rect{654, 161, 30, 18}, "Max", a, white, brown},
      {13, kText, Rect{30, 190, 100, 25}, "PLAY", b, white, navy},
      {15, kText, Rect{160, 190, 100, 25}, "SKIP", b, white, navy},
      {14, kText, Rect{290, 190, 100, 25}, "STOP", b, white, navy},
      {16, kText, Rect{420, 190, 100, 25}, "REPEAT", b, white, navy},
      {17, kText, Rect{550, 190, 100, 25}, "PAUSE", b, white, navy},
      {18, kText, Rect{30, 220, 100, 25}, "One", b, white, rgb(96, 0, 0)},
      {19, kText, Rect{160, 220, 100, 25}, "Two", b, white, rgb(0, 96, 96)},
      {20, kText, Rect{290, 220, 100, 25}, "Three", b, white, rgb(96, 96, 0)},
      {21, kText, Rect{420, 220, 100, 25}, "Four", b, white, rgb(0, 96, 0)},
      {22, kText, Rect{550, 220, 100, 25}, "Five", b, white, rgb(96, 0, 96)},
      {23, GadgetKind::List, Rect{20, 250, 660, 400}, "", a, white, rgb(96, 0, 0)},
      {24, GadgetKind::List, Rect{20, 250, 660, 400}, "", a, white, rgb(0, 96, 96), -1, true},
      {25, GadgetKind::List, Rect{20, 250, 660, 400}, "", a, white, rgb(96, 96, 0), -1, true},
      {26, GadgetKind::List, Rect{20, 250, 660, 400}, "", a, white, rgb(0, 96, 0), -1, true},
      {27, GadgetKind::List, Rect{20, 250, 660, 400}, "", a, white, rgb(96, 0, 96), -1, true},
      {88, GadgetKind::Combo, Rect{30, 280, 300, 25}, "", a, {}, {}, -1, true},
      {89, GadgetKind::Combo, Rect{30, 320, 300, 25}, "", a, {}, {}, -1, true},
      {87, GadgetKind::Image, Rect{350, 300, 300, 300}, "", a, {}, {}, 7, true},
      {90, kText, Rect{30, 360, 100, 25}, "Adjust", b, white, sky, -1, true},
      {91, kText, Rect{150, 360, 100, 25}, "Clear", b, white, sky, -1, true},
      {92, GadgetKind::Bar, Rect{30, 620, 630, 20}, "", a, {}, {}, -1, true},
      {28, kText, Rect{30, 660, 100, 25}, "Add files", b, white, dark},
      {29, kText, Rect{150, 660, 110, 25}, "Add folders", b, white, dark},
      {30, kText, Rect{280, 660, 90, 25}, "CLEAR", b, white, dark},
      {31, kText, Rect{390, 660, 140, 25}, "Sort by name", b, white, dark},
      {32, kText, Rect{560, 660, 110, 25}, "ASIO", b, rgb(192, 192, 192), rgb(0, 80, 0)},
  };
  table.insert(table.end(), rest.begin(), rest.end());
  return table;
}

}  // namespace sonvale::test
