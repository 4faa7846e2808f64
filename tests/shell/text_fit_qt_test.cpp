// Every text of every window, measured in the real fonts against the gadget that
// shows it: the layout is fixed in pixels, so a face or a size that runs wide cuts
// texts off or runs neighbouring ones together.
#include <gtest/gtest.h>

#include <QtGui/QFontMetrics>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QStyleOptionButton>
#include <QtWidgets/QStyleOptionComboBox>
#include <QtWidgets/QStyleOptionGroupBox>

#include <string>
#include <vector>

#include "engine/sound_mode.h"
#include "output/device_calls.h"
#include "output/device_selection.h"
#include "output/fake_devices.h"
#include "output/settings_window.h"
#include "platform/interface_fonts.h"
#include "platform/player_ids.h"
#include "playlist/page_style.h"
#include "shell/folder_picker.h"
#include "shell/main_window.h"
#include "support/audio_fixtures.h"
#include "support/qt_steps.h"
#include "support/qt_ui_environment.h"
#include "support/screenshots.h"

namespace sonvale::shell {
namespace {

using test::gadget_widget;
using test::top_level_titled;

// A text fits when a pixel of its gadget is left free on either side.
constexpr int kClearance = 1;

const char* const kDeviceTitle = "Please select audio device.  ( X = Exit )";

// The room a widget leaves for one line of its text.
QRect text_room(QWidget* widget) {
  if (auto* button = qobject_cast<QPushButton*>(widget)) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
  }
  if (auto* option_button = qobject_cast<QRadioButton*>(widget)) {
    QStyleOptionButton option;
    option.initFrom(option_button);
    option.text = option_button->text();
    return option_button->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, option_button);
  }
  if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    QStyleOptionComboBox option;
    option.initFrom(combo);
    return combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
  }
  return widget->contentsRect();
}

void expect_line_fits(QWidget* widget, const QString& text) {
  const QFontMetrics metrics(widget->font());
  const QRect room = text_room(widget);
  EXPECT_LE(metrics.horizontalAdvance(text) + 2 * kClearance, room.width())
      << '"' << text.toStdString() << "\" in " << widget->objectName().toStdString() << " ("
      << widget->font().family().toStdString() << ' ' << widget->font().pixelSize() << " px)";
  EXPECT_LE(metrics.height(), room.height()) << '"' << text.toStdString() << "\" in "
                                             << widget->objectName().toStdString();
}

// Checks what each gadget of the window shows now.
void expect_window_texts_fit(QWidget* window) {
  ASSERT_NE(window, nullptr);
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (!widget->objectName().startsWith(QStringLiteral("gadget"))) continue;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      if (!label->text().isEmpty()) expect_line_fits(label, label->text());
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      if (!button->text().isEmpty()) expect_line_fits(button, button->text().replace(QStringLiteral("&&"), QStringLiteral("&")));
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      for (int i = 0; i < combo->count(); ++i) expect_line_fits(combo, combo->itemText(i));
    } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
      QStyleOptionGroupBox option;
      option.initFrom(frame);
      option.text = frame->title();
      option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
      const QRect caption =
          frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
      EXPECT_TRUE(frame->rect().contains(caption)) << frame->title().toStdString();
      EXPECT_GE(caption.width(), QFontMetrics(frame->font()).horizontalAdvance(frame->title()));
    } else if (auto* editor = qobject_cast<QPlainTextEdit*>(widget)) {
      // Lines wrap; the whole text is to be seen without scrolling.
      EXPECT_EQ(editor->verticalScrollBar()->maximum(), 0) << editor->objectName().toStdString();
      EXPECT_EQ(editor->horizontalScrollBar()->maximum(), 0) << editor->objectName().toStdString();
    }
  }
}

// The texts the main window's gadgets take on while the player runs.
std::vector<std::pair<int, std::string>> changing_texts() {
  std::vector<std::pair<int, std::string>> texts;
  for (const engine::SoundModeInfo& mode : engine::kSoundModes)
    for (int selector : {ids::kSelectorX1, ids::kSelectorX2, ids::kSelectorX4})
      texts.emplace_back(selector, std::string(mode.label));
  for (const char* rate : {"192000", "Crush", "Reject"}) texts.emplace_back(ids::kRateDisplay, rate);
  texts.emplace_back(ids::kPauseButton, "PAUSED");
  for (int page = 1; page <= playlist::kPageCount; ++page)
    texts.emplace_back(ids::page_label(page), std::string(playlist::kPageLabels[page - 1]) + " R");
  for (const char* sort : {"Sort by dir", "Sort by made"}) texts.emplace_back(ids::kSortButton, sort);
  texts.emplace_back(ids::kOutputTypeLabel, "WASAPI");
  return texts;
}

// The now-playing panel: two lines of the first font, then the times in the second
// from x 350 of the 540-pixel panel, above the progress bar at y 80.
void expect_panel_fits() {
  const QFont first = gadget_widget(ids::kSelectorX1)->font();
  const QFont second = gadget_widget(ids::kPlayButton)->font();
  const QFontMetrics metrics(second);
  QChar widest = QLatin1Char('0');
  for (char digit = '0'; digit <= '9'; ++digit)
    if (metrics.horizontalAdvance(QLatin1Char(digit)) > metrics.horizontalAdvance(widest)) widest = QLatin1Char(digit);
  const QString two(2, widest);
  const QString clock = two + QLatin1Char(':') + two + QLatin1Char(':') + two;
  const QString times = clock + QStringLiteral(" / ") + clock;
  EXPECT_LE(350 + metrics.horizontalAdvance(times) + kClearance, 540) << times.toStdString();
  EXPECT_LE(5 + QFontMetrics(first).height(), 30);
  EXPECT_LE(30 + QFontMetrics(first).height(), 55);
  EXPECT_LE(55 + metrics.height(), 80);
}

// The four windows, built at a density with the faces a machine may offer.
class TextsFit : public ::testing::TestWithParam<std::tuple<int, std::string>> {
 protected:
  TextsFit() : ui(test::qt_ui()) {}
  void SetUp() override {
    if (!ui.has_face(face())) GTEST_SKIP() << face() << " is not installed";
    ui.override_screen_dpi(std::get<0>(GetParam()));
    ui.override_installed_faces(std::vector<std::string>{face()});
  }
  void TearDown() override {
    ui.override_installed_faces(std::nullopt);
    ui.override_screen_dpi(0);
  }
  const std::string& face() const { return std::get<1>(GetParam()); }
  std::string name() const {
    std::string shown = face();
    std::erase(shown, ' ');
    return shown + "_" + std::to_string(std::get<0>(GetParam()));
  }

  platform::QtUi& ui;
};

TEST_P(TextsFit, InTheMainWindowAndItsPanel) {
  platform::create_interface_fonts(ui);
  EXPECT_EQ(ui.font_info(ids::kFontA)->face, face());
  build_main_window(ui);
  ui.show_window(ids::kMainWindow, platform::ShowCommand::Show);
  QWidget* window = top_level_titled("Sonvale");
  expect_window_texts_fit(window);
  for (const auto& [gadget, text] : changing_texts()) {
    SCOPED_TRACE(text);
    ui.set_gadget_text(gadget, text);
    expect_line_fits(gadget_widget(gadget), QString::fromStdString(text));
  }
  expect_panel_fits();
  test::save_screenshot(window, "texts_main_" + name());
  ui.close_window(ids::kMainWindow);
}

TEST_P(TextsFit, InTheDeviceWindow) {
  output::test::FakeDevices devices;
  devices.asio = {"Null output", "HDA Intel PCH (hw:0,0)"};
  devices.wasapi = {output::test::wasapi_device("HDA Intel PCH (plughw:0,0)", 3)};
  output::OutputChoice choice;
  test::play_steps({[&] {
    QWidget* window = top_level_titled(kDeviceTitle);
    expect_window_texts_fit(window);
    test::save_screenshot(window, "texts_device_" + name());
    qobject_cast<QPushButton*>(gadget_widget(ids::device_button(0)))->click();
  }});
  EXPECT_TRUE(output::select_output_device(ui, choice, devices.calls()));
}

TEST_P(TextsFit, InTheSettingsWindow) {
  platform::create_interface_fonts(ui);
  build_main_window(ui);
  output::test::FakeDevices devices;
  devices.asio = {"Null output", "HDA Intel PCH (hw:0,0)"};
  devices.wasapi = {output::test::wasapi_device("HDA Intel PCH (plughw:0,0)", 3)};
  output::OutputChoice choice;
  output::fill_asio_table(devices.calls(), choice.asio_table);
  const auto button = [](int gadget) { return qobject_cast<QPushButton*>(gadget_widget(gadget)); };
  test::play_steps({
      [&] { button(ids::kScanButton)->click(); },
      [&] {
        QWidget* window = top_level_titled("Audio setting and etc");
        expect_window_texts_fit(window);
        test::save_screenshot(window, "texts_settings_" + name());
        button(ids::kExitButton)->click();
      },
  });
  output::open_settings_window(ui, choice, devices.calls());
  ui.close_window(ids::kMainWindow);
}

TEST_P(TextsFit, InTheFolderPicker) {
  test::TempDir dir;
  platform::create_interface_fonts(ui);
  ui.open_window(ids::kMainWindow, platform::Rect{100, 50, 700, 700}, "Sonvale", platform::kWindowTitleBar);
  test::play_steps({[&] {
    QWidget* window = top_level_titled("Add folders");
    expect_window_texts_fit(window);
    test::save_screenshot(window, "texts_picker_" + name());
    qobject_cast<QPushButton*>(gadget_widget(ids::kFolderPickerCancel))->click();
  }});
  EXPECT_TRUE(folder_picker(ui, dir.path() + "/", "Add folders").empty());
  ui.close_window(ids::kMainWindow);
}

INSTANTIATE_TEST_SUITE_P(EveryInterfaceFace, TextsFit,
                         ::testing::Combine(::testing::Values(96, 120),
                                            ::testing::ValuesIn(std::vector<std::string>(
                                                platform::kInterfaceFaces.begin(),
                                                platform::kInterfaceFaces.end()))));

TEST(InterfaceFace, IsTheArialWidthFaceThatSetupInstalls) {
  EXPECT_EQ(platform::interface_face(test::qt_ui()), "Liberation Sans");
}

}  // namespace
}  // namespace sonvale::shell
