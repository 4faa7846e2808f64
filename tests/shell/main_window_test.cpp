#include "shell/main_window.h"

#include <gtest/gtest.h>

#include "output/transport.h"
#include "platform/interface_fonts.h"
#include "platform/player_ids.h"
#include "platform/ui_headless.h"
#include "shell/main_window_table.h"
#include "shell/mini_window.h"

namespace sonvale::shell {
namespace {

using platform::HeadlessUi;
using platform::Rect;
using platform::rgb;

struct BuiltWindows {
  BuiltWindows() {
    ui.set_desktop(Rect{0, 0, 1600, 1000});
    platform::create_interface_fonts(ui);
    build_main_window(ui);
    build_mini_window(ui);
  }
  HeadlessUi ui;
};

TEST(MainWindow, OpensHiddenCentredAndTakesDrops) {
  BuiltWindows w;
  EXPECT_EQ(w.ui.window_title(ids::kMainWindow), "Sonvale");
  EXPECT_EQ(w.ui.window_rect(ids::kMainWindow), (Rect{450, 150, 700, 700}));
  EXPECT_FALSE(w.ui.is_window_visible(ids::kMainWindow));
  const unsigned flags = w.ui.window_flags(ids::kMainWindow);
  EXPECT_TRUE(flags & platform::kWindowTitleBar);
  EXPECT_FALSE(flags & (platform::kWindowNoCloseBox | platform::kWindowBorderless));
  EXPECT_EQ(w.ui.window_colour(ids::kMainWindow), rgb(0, 0, 160));
  EXPECT_TRUE(w.ui.accepts_drops(ids::kMainWindow));
}

TEST(MainWindow, EveryGadgetIsBuiltInOrderWithItsPlaceTextFontAndColours) {
  BuiltWindows w;
  std::vector<int> order;
  for (const test::ExpectedGadget& e : test::expected_main_window()) {
    SCOPED_TRACE("gadget " + std::to_string(e.number));
    order.push_back(e.number);
    ASSERT_TRUE(w.ui.gadget_exists(e.number));
    EXPECT_EQ(w.ui.gadget_kind(e.number), e.kind);
    EXPECT_EQ(w.ui.gadget_rect(e.number), e.rect);
    EXPECT_EQ(w.ui.gadget_text(e.number), e.text);
    EXPECT_EQ(w.ui.gadget_font(e.number), e.font);
    if (e.text_colour) {
      EXPECT_EQ(w.ui.gadget_text_colour(e.number), *e.text_colour);
    }
    if (e.back_colour) {
      EXPECT_EQ(w.ui.gadget_back_colour(e.number), *e.back_colour);
    }
    EXPECT_EQ(w.ui.gadget_image(e.number), e.image);
    EXPECT_EQ(w.ui.is_gadget_hidden(e.number), e.hidden);
    EXPECT_EQ(w.ui.is_gadget_disabled(e.number), e.disabled);
  }
  std::vector<int> built = w.ui.creation_order();
  built.resize(order.size());
  EXPECT_EQ(built, order);
  EXPECT_EQ(w.ui.gadget_state(ids::kCaptureFillBar), 0);
}

TEST(MainWindow, DecodesTheSkinPicturesAndCreatesThePanelImage) {
  BuiltWindows w;
  const std::vector<std::pair<int, Rect>> sizes{
      {3, {0, 0, 140, 70}},  {4, {0, 0, 140, 30}},  {5, {0, 0, 140, 30}}, {6, {0, 0, 540, 100}},
      {7, {0, 0, 300, 300}}, {8, {0, 0, 540, 100}}, {9, {0, 0, 540, 100}}, {10, {0, 0, 40, 40}}};
  for (const auto& [image, rect] : sizes) EXPECT_EQ(w.ui.image_rect(image), rect) << "image " << image;
  EXPECT_TRUE(w.ui.image_ops(ids::kPanelImage).empty());
  EXPECT_FALSE(w.ui.image_exists(ids::kCounterImage));  // the counter's own
}

TEST(InterfaceFonts, KeepTheirPixelHeightAtAnyDensity) {
  struct Case {
    int dpi;
    int a;
    int b;
  };
  for (const Case c : {Case{96, 12, 16}, Case{120, 9, 12}, Case{144, 8, 10}, Case{0, 12, 16}}) {
    SCOPED_TRACE(c.dpi);
    HeadlessUi ui;
    ui.set_screen_dpi(c.dpi);
    platform::create_interface_fonts(ui);
    EXPECT_EQ(ui.font_info(ids::kFontA)->points, c.a);
    EXPECT_EQ(ui.font_info(ids::kFontB)->points, c.b);
  }
  EXPECT_EQ(platform::points_to_pixels(12, 96), 16);
  EXPECT_EQ(platform::points_to_pixels(16, 96), 21);
  EXPECT_EQ(platform::points_to_pixels(9, 120), 15);
  EXPECT_EQ(platform::points_to_pixels(12, 120), 20);
}

TEST(InterfaceFonts, TakeAFaceOfArialsWidthsANarrowOneTheDesktopFaceOrSystem) {
  HeadlessUi ui;
  platform::create_interface_fonts(ui);
  EXPECT_EQ(ui.font_info(ids::kFontA)->face, "System");
  ui.set_gui_face("DejaVu Sans");
  platform::create_interface_fonts(ui);
  EXPECT_EQ(ui.font_info(ids::kFontB)->face, "DejaVu Sans");
  ui.set_installed_faces({"DejaVu Sans", "DejaVu Sans Condensed"});
  platform::create_interface_fonts(ui);
  EXPECT_EQ(ui.font_info(ids::kFontA)->face, "DejaVu Sans Condensed");
  ui.set_installed_faces({"DejaVu Sans Condensed", "Liberation Sans", "Liberation Sans Narrow"});
  platform::create_interface_fonts(ui);
  EXPECT_EQ(ui.font_info(ids::kFontB)->face, "Liberation Sans");
}

TEST(ShowPage, ShowsOneListAndIgnoresOtherNumbers) {
  BuiltWindows w;
  auto shown = [&] {
    std::vector<int> lists;
    for (int page = 1; page <= 5; ++page)
      if (!w.ui.is_gadget_hidden(ids::page_list(page))) lists.push_back(ids::page_list(page));
    return lists;
  };
  show_page(w.ui, 3);
  EXPECT_EQ(shown(), std::vector<int>{25});
  for (int other : {0, 6, -1}) {
    show_page(w.ui, other);
    EXPECT_EQ(shown(), std::vector<int>{25});
  }
  show_page(w.ui, 5);
  EXPECT_EQ(shown(), std::vector<int>{27});
}

TEST(PaintTransportButtons, TakeThePageColourOrNavyAndLeaveRepeat) {
  BuiltWindows w;
  const std::vector<int> painted{ids::kPlayButton, ids::kSkipButton, ids::kStopButton, ids::kPauseButton};
  w.ui.set_gadget_back_colour(ids::kRepeatButton, rgb(1, 2, 3));
  output::paint_transport_buttons(w.ui, 3);
  for (int button : painted) EXPECT_EQ(w.ui.gadget_back_colour(button), rgb(96, 96, 0));
  output::paint_transport_buttons(w.ui, 5);
  for (int button : painted) EXPECT_EQ(w.ui.gadget_back_colour(button), rgb(96, 0, 96));
  for (int n : {0, 6}) {
    output::paint_transport_buttons(w.ui, n);
    for (int button : painted) EXPECT_EQ(w.ui.gadget_back_colour(button), rgb(0, 0, 96));
  }
  EXPECT_EQ(w.ui.gadget_back_colour(ids::kRepeatButton), rgb(1, 2, 3));
}

TEST(MiniWindow, IsAHiddenOwnedToolWindowCutToTheOrb) {
  BuiltWindows w;
  EXPECT_EQ(w.ui.window_title(ids::kMiniWindow), "TaskM");
  EXPECT_EQ(w.ui.window_rect(ids::kMiniWindow), (Rect{0, 0, 40, 40}));
  EXPECT_FALSE(w.ui.is_window_visible(ids::kMiniWindow));
  EXPECT_EQ(w.ui.window_owner(ids::kMiniWindow), ids::kMainWindow);
  EXPECT_EQ(w.ui.window_flags(ids::kMiniWindow) & (platform::kWindowBorderless | platform::kWindowTool),
            platform::kWindowBorderless | platform::kWindowTool);
  EXPECT_EQ(w.ui.gadget_kind(ids::kOrbButton), platform::GadgetKind::ImageButton);
  EXPECT_EQ(w.ui.gadget_rect(ids::kOrbButton), (Rect{0, 0, 40, 40}));
  EXPECT_EQ(w.ui.gadget_image(ids::kOrbButton), ids::kOrbImage);
  EXPECT_EQ(w.ui.window_cut_image(ids::kMiniWindow), ids::kOrbImage);
}

TEST(FollowPointer, ComesWithinTheGapOnTheFirstSideThatIsTooFar) {
  struct Case {
    platform::Point pointer;
    platform::Point expected;
  };
  // The window stands at (500, 400), 40 x 40.
  const Case cases[] = {
      {{400, 100}, {440, 400}},  // left (and above): left comes first
      {{480, 300}, {500, 340}},  // above only
      {{700, 900}, {620, 400}},  // right (and below): right comes first
      {{520, 600}, {500, 520}},  // below only
      {{470, 470}, {500, 400}},  // within the gap on every side: it stays
  };
  for (const Case& c : cases) {
    HeadlessUi ui;
    ui.open_window(ids::kMiniWindow, Rect{500, 400, 40, 40}, "TaskM", platform::kWindowBorderless);
    ui.set_cursor(c.pointer);
    follow_pointer(ui, ids::kMiniWindow, 40);
    const Rect r = ui.window_rect(ids::kMiniWindow);
    EXPECT_EQ((platform::Point{r.x, r.y}), c.expected) << c.pointer.x << "," << c.pointer.y;
    EXPECT_EQ(r.w, 40);
  }
}

TEST(RestoreFromMiniMode, CentresOnTheOrbAndKeepsTheWindowOnTheDesktop) {
  struct Case {
    platform::Point orb;
    platform::Point client;
  };
  // Desktop 1600 x 1000; the headless frame is 3 pixels with a 23-pixel caption.
  const Case cases[] = {
      {{800, 500}, {450, 150}},    // room all round
      {{100, 100}, {3, 26}},       // past the left and top edges: the frame at 0
      {{1550, 950}, {897, 297}},   // past the right and bottom edges
  };
  for (const Case& c : cases) {
    BuiltWindows w;
    w.ui.move_window(ids::kMiniWindow, c.orb.x, c.orb.y);
    restore_from_mini_mode(w.ui);
    const Rect r = w.ui.window_rect(ids::kMainWindow);
    EXPECT_EQ((platform::Point{r.x, r.y}), c.client) << c.orb.x << "," << c.orb.y;
    EXPECT_EQ(r.w, 700);
    EXPECT_EQ(r.h, 700);
  }
}

}  // namespace
}  // namespace sonvale::shell
