// The main window, the mini window and the folder picker as real widgets.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QtGui/QCursor>
#include <QtTest/QTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QStyleOptionViewItem>
#include <QtWidgets/QTreeWidget>
#include <QtWidgets/QTreeWidgetItemIterator>

#include <map>

#include "loading/draw_track_time.h"
#include "output/transport.h"
#include "platform/interface_fonts.h"
#include "platform/png_decoder.h"
#include "platform/player_ids.h"
#include "shell/folder_picker.h"
#include "shell/main_window.h"
#include "shell/main_window_table.h"
#include "shell/mini_window.h"
#include "shell/skin_assets.h"
#include "support/audio_fixtures.h"
#include "support/qt_steps.h"
#include "support/qt_ui_environment.h"
#include "support/screenshots.h"

namespace sonvale::shell {
namespace {

using test::gadget_widget;

const std::map<int, std::string> kPictureFiles{
    {ids::kLogoImage, "logo.png"}, {ids::kLaunchCounterImage, "launch_counter.png"}, {ids::kBannerImage, "banner.png"}};

QColor qcolour(platform::Colour c) { return QColor(platform::red_of(c), platform::green_of(c), platform::blue_of(c)); }

// The main and mini windows built at a density, closed again at the end.
class BuiltOnScreen {
 public:
  explicit BuiltOnScreen(int dpi) : ui(test::qt_ui()) {
    ui.override_screen_dpi(dpi);
    platform::create_interface_fonts(ui);
    build_main_window(ui);
    build_mini_window(ui);
  }
  ~BuiltOnScreen() {
    ui.close_window(ids::kMainWindow);
    ui.override_screen_dpi(0);
    while (ui.wait_event(0).kind != platform::EventKind::None) {
    }
  }
  platform::QtUi& ui;
};

TEST(MainWindowOnScreen, EveryGadgetIsAWidgetWithItsPlaceTextColoursAndFont) {
  BuiltOnScreen w(96);
  w.ui.show_window(ids::kMainWindow, platform::ShowCommand::Show);
  QWidget* window = test::top_level_titled("Sonvale");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->size(), QSize(700, 700));
  EXPECT_EQ(window->palette().color(QPalette::Window), QColor(0, 0, 160));
  EXPECT_TRUE(window->acceptDrops());
  for (const test::ExpectedGadget& e : test::expected_main_window()) {
    SCOPED_TRACE("gadget " + std::to_string(e.number));
    QWidget* g = gadget_widget(e.number);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->window(), window);
    EXPECT_EQ(g->geometry(), QRect(e.rect.x, e.rect.y, e.rect.w, e.rect.h));
    EXPECT_EQ(g->isHidden(), e.hidden);
    EXPECT_EQ(g->isEnabled(), !e.disabled);
    const int line = e.font == ids::kFontB ? 21 : 16;
    EXPECT_LE(test::line_height(g->font()), line);
    EXPECT_GT(test::next_line_height(g->font()), line);
    if (auto* label = qobject_cast<QLabel*>(g)) {
      EXPECT_EQ(label->text().toStdString(), e.text);
      EXPECT_EQ(label->alignment(), Qt::AlignCenter);
      EXPECT_TRUE(label->autoFillBackground());
      EXPECT_EQ(label->palette().color(QPalette::WindowText), qcolour(*e.text_colour));
      EXPECT_EQ(label->palette().color(QPalette::Window), qcolour(*e.back_colour));
    }
    if (auto* list = qobject_cast<QListWidget*>(g)) {
      EXPECT_EQ(list->selectionMode(), QAbstractItemView::MultiSelection);
      EXPECT_EQ(list->palette().color(QPalette::Base), qcolour(*e.back_colour));
      EXPECT_EQ(list->palette().color(QPalette::Text), qcolour(*e.text_colour));
    }
    if (e.image >= 0 && !e.hidden) {
      // The picture is drawn as decoded although the gadget is disabled, not as a
      // greyed-out copy.
      const auto decoded = platform::decode_png(skin_asset(kPictureFiles.at(e.image)));
      ASSERT_TRUE(decoded);
      const QImage shown = g->grab().toImage();
      for (const QPoint at : {QPoint(1, 1), QPoint(e.rect.w / 2, e.rect.h / 2), QPoint(e.rect.w - 20, 8)}) {
        const std::size_t i = static_cast<std::size_t>((at.y() * decoded->width + at.x()) * 3);
        EXPECT_EQ(shown.pixelColor(at), QColor(decoded->rgb[i], decoded->rgb[i + 1], decoded->rgb[i + 2]));
      }
    }
  }
  EXPECT_GT(test::save_screenshot(window, "main_window_idle"), 200);
}

TEST(MainWindowOnScreen, ThePanelShowsTheTrackBeingHeard) {
  BuiltOnScreen w(96);
  w.ui.show_window(ids::kMainWindow, platform::ShowCommand::Show);
  loading::PlayQueue queue;
  const std::int64_t second = 44100 * 8;
  queue.append("Kind of Blue", "So What", 562 * second, 0x606000);
  queue.advance(static_cast<std::uint32_t>(207 * second), 1);
  output::paint_transport_buttons(w.ui, 2);
  w.ui.set_gadget_text(ids::kRateDisplay, "176400");
  loading::draw_track_time(w.ui, queue, 44100);
  QWidget* panel = gadget_widget(ids::kBanner);
  ASSERT_NE(panel, nullptr);
  const QImage shown = panel->grab().toImage();
  EXPECT_EQ(shown.pixelColor(10 + 100, 85 + 2), qcolour(0x606000));  // the bar, 193 of 525 long
  EXPECT_EQ(shown.pixelColor(10 + 300, 85 + 2), QColor(0, 0, 0));     // the rest of its track
  EXPECT_GT(test::save_screenshot(test::top_level_titled("Sonvale"), "main_window_playing"), 200);
}

TEST(MainWindowOnScreen, TheMiniWindowIsTheOrbAlone) {
  BuiltOnScreen w(96);
  w.ui.show_window(ids::kMiniWindow, platform::ShowCommand::Show);
  QWidget* mini = test::top_level_titled("TaskM");
  ASSERT_NE(mini, nullptr);
  EXPECT_EQ(mini->geometry(), QRect(0, 0, 40, 40));
  EXPECT_TRUE(mini->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(mini->windowType(), Qt::Tool);
  EXPECT_EQ(mini->parentWidget(), test::top_level_titled("Sonvale"));
  EXPECT_TRUE(mini->mask().contains(QPoint(20, 20)));
  EXPECT_FALSE(mini->mask().contains(QPoint(0, 0)));
  EXPECT_FALSE(mini->mask().contains(QPoint(39, 39)));
  EXPECT_GT(test::save_screenshot(mini, "mini_window"), 20);
}

TEST(MainWindowOnScreen, FontsKeepTheirLineHeightAt120Dpi) {
  BuiltOnScreen w(120);
  EXPECT_EQ(w.ui.font_info(ids::kFontA)->points, 9);
  EXPECT_EQ(w.ui.font_info(ids::kFontB)->points, 12);
  EXPECT_LE(test::line_height(gadget_widget(ids::kSelectorX1)->font()), 15);
  EXPECT_GT(test::next_line_height(gadget_widget(ids::kSelectorX1)->font()), 15);
  EXPECT_LE(test::line_height(gadget_widget(ids::kPlayButton)->font()), 20);
  EXPECT_GT(test::next_line_height(gadget_widget(ids::kPlayButton)->font()), 20);
}

// The folder picker with its real tree, driven by the mouse and the keyboard.
class PickerOnScreen : public ::testing::Test {
 protected:
  PickerOnScreen() : ui(test::qt_ui()) {
    for (const char* name : {"A", "B", "C"}) mkdir(dir.file(name).c_str(), 0755);
    long_name = std::string(std::max<std::size_t>(4, 60 - dir.path().size()), 'x');
    mkdir(dir.file(long_name).c_str(), 0755);
    platform::create_interface_fonts(ui);
    ui.open_window(ids::kMainWindow, platform::Rect{100, 50, 700, 700}, "Sonvale", platform::kWindowTitleBar);
  }
  ~PickerOnScreen() override { ui.close_window(ids::kMainWindow); }

  std::string folder(const std::string& name) const { return dir.file(name) + "/"; }
  QTreeWidget* tree() const { return qobject_cast<QTreeWidget*>(gadget_widget(ids::kFolderTree)); }
  QTreeWidgetItem* item(const std::string& name) const {
    for (QTreeWidgetItemIterator it(tree()); *it != nullptr; ++it)
      if ((*it)->data(0, Qt::UserRole).toByteArray().toStdString() == folder(name)) return *it;
    return nullptr;
  }
  // A left click on the item's check box or on its name, with the pointer there.
  void click(const std::string& name, bool on_check_box) {
    QTreeWidgetItem* it = item(name);
    ASSERT_NE(it, nullptr) << name;
    click(it, on_check_box);
  }
  void click(QTreeWidgetItem* it, bool on_check_box) {
    const QRect row = tree()->visualItemRect(it);
    QPoint at(row.x() + row.width() / 2, row.center().y());
    if (on_check_box) {
      QStyleOptionViewItem option;
      option.initFrom(tree());
      option.rect = row;
      option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
      option.text = it->text(0);
      option.font = tree()->font();
      option.fontMetrics = QFontMetrics(option.font);
      at = tree()->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, tree()).center();
    }
    QCursor::setPos(tree()->viewport()->mapToGlobal(at));
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  }
  std::vector<std::string> shown() const {
    std::vector<std::string> items;
    for (int i = 0; i < ui.list_item_count(ids::kSelectedFoldersList); ++i)
      items.push_back(ui.list_item_text(ids::kSelectedFoldersList, i));
    return items;
  }

  platform::QtUi& ui;
  test::TempDir dir;
  std::string long_name;
};

TEST_F(PickerOnScreen, TheListFollowsTheTicksOfTheRealTree) {
  test::play_steps({
      [&] {
        EXPECT_EQ(ui.gadget_text(ids::kFolderTree), dir.path() + "/");
        click("A", true);
      },
      [&] {
        EXPECT_EQ(item("A")->checkState(0), Qt::Checked);
        click("B", true);
      },
      [&] { click("A", true); },  // unticked again
      [&] {
        EXPECT_EQ(shown(), std::vector<std::string>{folder("B")});
        click("C", false);  // the name: selected, not ticked
      },
      [&] {
        EXPECT_EQ(ui.gadget_text(ids::kFolderTree), folder("C"));
        EXPECT_EQ(shown(), std::vector<std::string>{folder("B")});
        tree()->setFocus();
        QTest::keyClick(tree(), Qt::Key_Space);  // ticks the selected one
      },
      [&] { click(long_name, true); },
      [&] {
        EXPECT_EQ(shown(), (std::vector<std::string>{folder("B"), folder("C"), shorten_for_display(folder(long_name))}));
        EXPECT_GT(test::save_screenshot(test::top_level_titled("Add folders"), "folder_picker"), 50);
        qobject_cast<QPushButton*>(gadget_widget(ids::kFolderPickerOk))->click();
      },
  });
  const std::vector<std::string> result = folder_picker(ui, dir.path() + "/", "Add folders");
  EXPECT_EQ(result, (std::vector<std::string>{folder("B"), folder("C"), folder(long_name)}));
  EXPECT_EQ(test::top_level_titled("Add folders"), nullptr);
}

TEST_F(PickerOnScreen, AnAudioCdShowsAboveTheFoldersAndTicksLikeOne) {
  test::play_steps({
      [&] {
        ASSERT_GE(tree()->topLevelItemCount(), 2);
        EXPECT_EQ(tree()->topLevelItem(0)->text(0).toStdString(), "Audio CD (/dev/sr0)");
        EXPECT_EQ(tree()->topLevelItem(1)->data(0, Qt::UserRole).toByteArray().toStdString(), "/");
        click(tree()->topLevelItem(0), true);
      },
      [&] { qobject_cast<QPushButton*>(gadget_widget(ids::kFolderPickerOk))->click(); },
  });
  EXPECT_EQ(folder_picker(ui, "/", "Add folders", {"/dev/sr0"}), std::vector<std::string>{"/dev/sr0/"});
}

TEST_F(PickerOnScreen, CancelReturnsNothing) {
  test::play_steps({[&] { click("A", true); },
                    [&] { qobject_cast<QPushButton*>(gadget_widget(ids::kFolderPickerCancel))->click(); }});
  EXPECT_TRUE(folder_picker(ui, dir.path() + "/", "Add folders").empty());
}

}  // namespace
}  // namespace sonvale::shell
