// The device window and the settings window as real widgets.
#include <gtest/gtest.h>

#include <QtWidgets/QComboBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>

#include "output/device_selection.h"
#include "output/fake_devices.h"
#include "output/settings_window.h"
#include "platform/interface_fonts.h"
#include "platform/player_ids.h"
#include "support/qt_steps.h"
#include "support/qt_ui_environment.h"
#include "support/screenshots.h"

namespace sonvale::output {
namespace {

using sonvale::test::gadget_widget;
using sonvale::test::top_level_titled;

QPushButton* button(int gadget) { return qobject_cast<QPushButton*>(gadget_widget(gadget)); }

TEST(DeviceWindowOnScreen, ListsTheMachinesDevicesAndTakesAClick) {
  platform::QtUi& ui = sonvale::test::qt_ui();
  OutputChoice choice;
  int null_row = -1;
  sonvale::test::play_steps({[&] {
    QWidget* window = top_level_titled("Please select audio device.  ( X = Exit )");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(64, 0, 64));
    for (int row = 0; row < ids::kMostDeviceRows && null_row < 0; ++row)
      if (button(ids::device_button(row)) && button(ids::device_button(row))->text() == QStringLiteral("Null output"))
        null_row = row;
    ASSERT_GE(null_row, 0);
    auto* label = qobject_cast<QLabel*>(gadget_widget(ids::device_path_label(null_row)));
    EXPECT_EQ(label->text(), QStringLiteral("ASIO"));
    EXPECT_EQ(button(ids::device_button(null_row))->geometry(), QRect(90, 40 * null_row + 10, 550, 25));
    EXPECT_GT(sonvale::test::save_screenshot(window, "device_window"), 20);
    button(ids::device_button(null_row))->click();
  }});
  ASSERT_TRUE(select_output_device(ui, choice));
  EXPECT_EQ(choice.mode, kOutputAsio);
  EXPECT_EQ(choice.asio_table[static_cast<std::size_t>(choice.asio_device)].name, "Null output");
  EXPECT_EQ(top_level_titled("Please select audio device.  ( X = Exit )"), nullptr);
}

TEST(SettingsWindowOnScreen, ShowsItsControlsAndAppliesAChoice) {
  platform::QtUi& ui = sonvale::test::qt_ui();
  platform::create_interface_fonts(ui);
  ui.open_window(ids::kMainWindow, platform::Rect{100, 50, 700, 700}, "Sonvale", platform::kWindowTitleBar);
  ui.create_gadget(ids::kMainWindow, ids::kOutputTypeLabel, platform::GadgetKind::Text,
                   platform::Rect{560, 660, 110, 25}, "ASIO");
  ui.create_gadget(ids::kMainWindow, ids::kPauseButton, platform::GadgetKind::Text,
                   platform::Rect{550, 190, 100, 25}, "PAUSE");
  test::FakeDevices devices;
  devices.asio = {"Card A (hw:0,0)", "Null output"};
  devices.wasapi = {test::wasapi_device("Card A (plughw:0,0)", 3), test::wasapi_device("Twin", 1),
                    test::wasapi_device("Twin", 1)};
  OutputChoice choice;
  fill_asio_table(devices.calls(), choice.asio_table);
  choice.mode = kOutputAsio;
  choice.asio_device = 1;

  sonvale::test::play_steps({
      [&] {
        QWidget* window = top_level_titled("Audio setting and etc");
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->parentWidget(), top_level_titled("Sonvale"));
        EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        EXPECT_EQ(window->geometry(), QRect(150, 100, 600, 600));
        EXPECT_TRUE(qobject_cast<QRadioButton*>(gadget_widget(ids::kAsioOption))->isChecked());
        auto* manual = qobject_cast<QPlainTextEdit*>(gadget_widget(ids::kManualText));
        EXPECT_TRUE(manual->isReadOnly());
        EXPECT_EQ(manual->document()->blockCount(), 17);
        EXPECT_LE(sonvale::test::line_height(gadget_widget(ids::kManualFrame)->font()), 21);
        EXPECT_GT(sonvale::test::next_line_height(gadget_widget(ids::kManualFrame)->font()), 21);
        button(ids::kScanButton)->click();
      },
      [&] {
        auto* wasapi = qobject_cast<QComboBox*>(gadget_widget(ids::kWasapiDeviceList));
        ASSERT_EQ(wasapi->count(), 3);
        EXPECT_EQ(wasapi->itemText(2), QStringLiteral("2 @ Twin"));
        EXPECT_EQ(qobject_cast<QComboBox*>(gadget_widget(ids::kAsioDeviceList))->currentText(),
                  QStringLiteral("Null output"));
        EXPECT_GT(sonvale::test::save_screenshot(top_level_titled("Audio setting and etc"), "settings_window"), 50);
        wasapi->setCurrentIndex(2);
        qobject_cast<QRadioButton*>(gadget_widget(ids::kWasapiOption))->click();
        button(ids::kApplyButton)->click();
      },
      [&] {
        EXPECT_EQ(qobject_cast<QLabel*>(gadget_widget(ids::kOutputTypeLabel))->text(), QStringLiteral("WASAPI"));
        EXPECT_TRUE(gadget_widget(ids::kPauseButton)->isHidden());
        button(ids::kExitButton)->click();
      },
  });
  open_settings_window(ui, choice, devices.calls());
  EXPECT_EQ(choice.mode, kOutputWasapi);
  EXPECT_EQ(choice.wasapi_device, 2);
  EXPECT_EQ(top_level_titled("Audio setting and etc"), nullptr);
  ui.close_window(ids::kMainWindow);
}

}  // namespace
}  // namespace sonvale::output
