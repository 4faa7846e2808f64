#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <QtCore/QMimeData>
#include <QtCore/QUrl>
#include <QtGui/QCursor>
#include <QtGui/QDropEvent>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>

#include "platform/ui_qt.h"
#include "support/qt_ui_environment.h"
#include "support/screenshots.h"

namespace sonvale::platform {
namespace {

using test::gadget_widget;

// Every event that is already waiting.
std::vector<Event> drain(QtUi& ui) {
  std::vector<Event> events;
  for (Event e = ui.wait_event(0); e.kind != EventKind::None; e = ui.wait_event(0)) events.push_back(e);
  return events;
}

int count(const std::vector<Event>& events, EventKind kind) {
  return static_cast<int>(std::count_if(events.begin(), events.end(), [kind](const Event& e) { return e.kind == kind; }));
}

class QtGadgets : public ::testing::Test {
 protected:
  QtGadgets() : ui(test::qt_ui()) {
    ui.open_window(5, Rect{100, 80, 700, 700}, "Gadgets", kWindowTitleBar);
    drain(ui);
  }
  ~QtGadgets() override {
    ui.close_window(5);
    drain(ui);
  }
  // A press and release at a point of a gadget, with the pointer moved there first.
  void click(int gadget, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QWidget* w = gadget_widget(gadget);
    if (auto* list = qobject_cast<QAbstractScrollArea*>(w)) w = list->viewport();
    QCursor::setPos(w->mapToGlobal(at));
    QTest::mouseClick(w, button, Qt::NoModifier, at);
  }
  QtUi& ui;
};

TEST_F(QtGadgets, EveryPressReachesTheWaitOnceWithItsGadget) {
  ui.create_gadget(5, 13, GadgetKind::Text, Rect{30, 190, 100, 25}, "PLAY");
  ui.create_gadget(5, 11, GadgetKind::Image, Rect{5, 60, 140, 70}, "");
  ui.disable_gadget(11, true);
  ui.create_gadget(5, 23, GadgetKind::List, Rect{20, 250, 660, 300}, "");
  ui.add_list_item(23, "one");
  ui.create_gadget(5, 84, GadgetKind::Button, Rect{390, 600, 80, 30}, "Apply");

  const struct {
    int gadget;
    QPoint at;
    Qt::MouseButton button;
  } presses[] = {{13, {50, 12}, Qt::LeftButton},
                 {11, {70, 35}, Qt::RightButton},  // a disabled picture: the window has it
                 {23, {40, 8}, Qt::LeftButton},
                 {84, {40, 15}, Qt::LeftButton}};
  for (const auto& p : presses) {
    SCOPED_TRACE(p.gadget);
    click(p.gadget, p.at, p.button);
    const std::vector<Event> events = drain(ui);
    const EventKind kind = p.button == Qt::LeftButton ? EventKind::LeftButtonDown : EventKind::RightButtonDown;
    ASSERT_EQ(count(events, kind), 1);
    const Event press = events.front();
    EXPECT_EQ(press.window, 5);
    EXPECT_EQ(press.gadget, p.gadget);
    EXPECT_TRUE(ui.cursor_on_gadget(p.gadget));
    EXPECT_TRUE(ui.cursor_on_window(5));
    // Lists and buttons report their own click besides.
    const int notified = p.gadget == 23 || p.gadget == 84 ? 1 : 0;
    EXPECT_EQ(count(events, EventKind::Gadget), notified);
  }
  EXPECT_TRUE(ui.is_list_item_selected(23, 0));
}

TEST_F(QtGadgets, CombosOptionsAndBarsKeepTheirState) {
  ui.create_gadget(5, 65, GadgetKind::Combo, Rect{250, 10, 340, 25}, "");
  for (const char* name : {"Null output", "Card"}) ui.add_list_item(65, name);
  EXPECT_EQ(ui.gadget_state(65), -1);
  EXPECT_EQ(ui.gadget_text(65), "");
  ui.select_list_item(65, 1, true);
  EXPECT_EQ(ui.gadget_text(65), "Card");
  EXPECT_TRUE(drain(ui).empty());  // the program's own changes are not reported
  auto* combo = qobject_cast<QComboBox*>(gadget_widget(65));
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Up);
  EXPECT_EQ(ui.gadget_text(65), "Null output");
  const std::vector<Event> chosen = drain(ui);
  ASSERT_EQ(count(chosen, EventKind::Gadget), 1);
  EXPECT_EQ(chosen.back().gadget, 65);

  ui.create_gadget(5, 66, GadgetKind::Option, Rect{10, 10, 220, 25}, "ASIO Control Deveice");
  ui.create_gadget(5, 67, GadgetKind::Option, Rect{10, 50, 220, 25}, "WASAPI Control Deveice");
  ui.set_gadget_state(66, 1);
  click(67, {10, 12});
  EXPECT_EQ(ui.gadget_state(66), 0);
  EXPECT_EQ(ui.gadget_state(67), 1);
  EXPECT_EQ(count(drain(ui), EventKind::Gadget), 1);
  ui.set_gadget_state(67, 0);
  EXPECT_EQ(ui.gadget_state(67), 0);

  // A name with "&" is shown and read back as it is, not as a keyboard mnemonic.
  ui.create_gadget(5, 300, GadgetKind::Button, Rect{90, 10, 550, 25}, "R&D Audio");
  EXPECT_EQ(qobject_cast<QPushButton*>(gadget_widget(300))->text(), QStringLiteral("R&&D Audio"));
  EXPECT_EQ(ui.gadget_text(300), "R&D Audio");

  ui.create_gadget(5, 92, GadgetKind::Bar, Rect{30, 620, 630, 20}, "");
  ui.set_bar_range(92, 0, 630);
  ui.set_gadget_state(92, 315);
  EXPECT_EQ(ui.gadget_state(92), 315);
  ui.set_gadget_state(92, 999);
  EXPECT_EQ(ui.gadget_state(92), 630);
}

TEST_F(QtGadgets, ImagesAreDrawnOnAndShownInPicturesAndButtons) {
  RgbImage orb{4, 4, std::vector<std::uint8_t>(48, 255), {}};
  for (int y = 1; y < 3; ++y)
    for (int x = 1; x < 3; ++x) {
      const std::size_t at = static_cast<std::size_t>((y * 4 + x) * 3);
      orb.rgb[at] = 0, orb.rgb[at + 1] = 0, orb.rgb[at + 2] = 96;
    }
  ASSERT_TRUE(ui.load_image(10, orb));
  ASSERT_TRUE(ui.create_image(9, 540, 100));
  ui.load_font(1, "DejaVu Sans", 12);
  ui.fill_image_rect(9, Rect{0, 0, 540, 100}, rgb(0, 0, 160));
  ui.draw_text(9, 10, 5, "Album", 1, kWhite, rgb(0, 0, 160));
  ui.fill_image_rect(9, Rect{10, 85, 100, 5}, rgb(96, 0, 0));
  ui.draw_image(9, 10, 500, 50);

  ui.create_gadget(5, 10, GadgetKind::Image, Rect{150, 60, 540, 100}, "");
  ui.set_gadget_image(10, 9);
  EXPECT_EQ(ui.gadget_image(10), 9);
  const QImage shown = gadget_widget(10)->grab().toImage();
  EXPECT_EQ(shown.pixelColor(20, 85), QColor(96, 0, 0));
  EXPECT_EQ(shown.pixelColor(300, 30), QColor(0, 0, 160));
  EXPECT_EQ(shown.pixelColor(501, 51), QColor(0, 0, 96));
  bool white_text = false;
  for (int y = 5; y < 25 && !white_text; ++y)
    for (int x = 10; x < 60 && !white_text; ++x) white_text = shown.pixelColor(x, y) == QColor(255, 255, 255);
  EXPECT_TRUE(white_text);
  // Drawing again shows at once in the gadget.
  ui.fill_image_rect(9, Rect{0, 0, 540, 100}, rgb(0, 96, 0));
  EXPECT_EQ(gadget_widget(10)->grab().toImage().pixelColor(20, 85), QColor(0, 96, 0));

  ui.open_window(11, Rect{0, 0, 4, 4}, "TaskM", kWindowBorderless | kWindowTool, 5);
  ui.create_gadget(11, 104, GadgetKind::ImageButton, Rect{0, 0, 4, 4}, "");
  ui.set_gadget_image(104, 10);
  ui.cut_window_to_image(11, 10);
  const QRegion kept = test::top_level_titled("TaskM")->mask();
  EXPECT_TRUE(kept.contains(QPoint(1, 1)));
  EXPECT_TRUE(kept.contains(QPoint(2, 2)));
  EXPECT_FALSE(kept.contains(QPoint(0, 0)));
  EXPECT_FALSE(kept.contains(QPoint(3, 1)));
  ui.show_window(11, ShowCommand::Show);
  click(104, {2, 2});
  const std::vector<Event> events = drain(ui);
  ASSERT_EQ(count(events, EventKind::Gadget), 1);
  EXPECT_EQ(events.back().window, 11);
  EXPECT_EQ(events.back().gadget, 104);
}

TEST_F(QtGadgets, FontsArePointsTurnedIntoLineHeightsAtTheDensity) {
  ui.override_screen_dpi(120);
  EXPECT_EQ(ui.screen_dpi(), 120);
  ui.load_font(1, "DejaVu Sans", 9);
  ui.set_default_font(1);
  ui.create_gadget(5, 2, GadgetKind::Text, Rect{10, 31, 100, 20}, "x 1");
  EXPECT_EQ(ui.gadget_font(2), 1);
  // 9 points at 120 DPI are 15 pixels from line to line; DejaVu Sans needs 13-pixel
  // letters for that.
  EXPECT_EQ(gadget_widget(2)->font().pixelSize(), 13);
  EXPECT_EQ(test::line_height(gadget_widget(2)->font()), 15);
  ui.override_screen_dpi(0);
  ui.load_font(2, "DejaVu Sans", 16);
  ui.set_gadget_font(2, 2);
  EXPECT_EQ(test::line_height(gadget_widget(2)->font()), 21);  // at the offscreen screen's 96 DPI
  EXPECT_GT(test::next_line_height(gadget_widget(2)->font()), 21);
  EXPECT_EQ(ui.font_info(2)->points, 16);
  ui.set_default_font(-1);
  EXPECT_FALSE(ui.default_gui_face().empty());
  EXPECT_TRUE(ui.has_face("DejaVu Sans"));
  EXPECT_FALSE(ui.has_face("No Such Face"));
  ui.override_installed_faces(std::vector<std::string>{"No Such Face"});
  EXPECT_TRUE(ui.has_face("No Such Face"));
  EXPECT_FALSE(ui.has_face("DejaVu Sans"));
  ui.override_installed_faces(std::nullopt);
}

TEST_F(QtGadgets, ShortcutsDropsAndStayingOnTop) {
  QWidget* window = test::top_level_titled("Gadgets");
  ui.show_window(5, ShowCommand::Show);
  ui.add_shortcut(5, 'X', 7);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QTest::keyClick(window, Qt::Key_X);
  std::vector<Event> events = drain(ui);
  ASSERT_EQ(count(events, EventKind::Shortcut), 1);
  EXPECT_EQ(events.back().shortcut, 7);
  ui.remove_shortcuts(5);
  QTest::keyClick(window, Qt::Key_X);
  EXPECT_EQ(count(drain(ui), EventKind::Shortcut), 0);

  ui.accept_drops(5, true);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QStringLiteral("/music/a b.flac")), QUrl(QStringLiteral("https://x.example/y")),
                QUrl::fromLocalFile(QStringLiteral("/music/c.mp3")),
                QUrl::fromLocalFile(QStringLiteral("/music/two\nlines.wav"))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window, &drop);
  events = drain(ui);
  ASSERT_EQ(count(events, EventKind::FilesDropped), 1);
  EXPECT_EQ(events.back().files,
            (std::vector<std::string>{"/music/a b.flac", "/music/c.mp3", "/music/two\nlines.wav"}));

  ui.set_window_topmost(5, true);
  EXPECT_TRUE(ui.is_window_topmost(5));
  EXPECT_TRUE(ui.is_window_visible(5));
  ui.set_window_topmost(5, false);
  EXPECT_FALSE(ui.is_window_topmost(5));
  EXPECT_TRUE(ui.is_window_visible(5));
}

TEST_F(QtGadgets, CallsFromOtherThreadsAreCarriedToTheWindowsThread) {
  ui.create_gadget(5, 10, GadgetKind::Image, Rect{150, 60, 540, 100}, "");
  ui.create_gadget(5, 92, GadgetKind::Bar, Rect{30, 620, 630, 20}, "");
  ui.set_bar_range(92, 0, 630);
  std::atomic<bool> done{false};
  int shown = -1;
  // The counter's thread switching a picture, the live engine moving the bar.
  std::thread other([&] {
    ui.load_image(2, RgbImage{2, 2, std::vector<std::uint8_t>(12, 200), {}});
    ui.set_gadget_image(10, 2);
    for (int fill = 0; fill <= 630; fill += 90) ui.set_gadget_state(92, fill);
    shown = ui.gadget_image(10);
    done = true;
  });
  while (!done) ui.wait_event(5);
  other.join();
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(ui.gadget_state(92), 630);
  EXPECT_EQ(gadget_widget(10)->grab().toImage().pixelColor(1, 1), QColor(200, 200, 200));
}

TEST_F(QtGadgets, WindowsMoveAndResizeByTheirClientArea) {
  ui.move_window(5, 40, 60);
  EXPECT_EQ(ui.window_rect(5), (Rect{40, 60, 700, 700}));
  ui.resize_window(5, 650, 900);
  EXPECT_EQ(ui.window_rect(5), (Rect{40, 60, 650, 900}));
  const std::vector<Event> events = drain(ui);
  EXPECT_GE(count(events, EventKind::WindowMoved), 1);
}

}  // namespace
}  // namespace sonvale::platform
