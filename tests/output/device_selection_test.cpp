#include "output/device_selection.h"

#include <gtest/gtest.h>

#include "output/fake_devices.h"
#include "platform/player_ids.h"
#include "platform/ui_headless.h"

namespace sonvale::output {
namespace {

using platform::Event;
using platform::EventKind;
using platform::HeadlessUi;
using platform::Rect;
using test::FakeDevices;
using test::wasapi_device;

// Runs the selection; `user` runs once its window is up.
struct Selection {
  bool run(std::function<void()> user) {
    ui.post(std::move(user));
    return select_output_device(ui, choice, devices.calls());
  }
  std::vector<std::pair<std::string, std::string>> rows() const {
    std::vector<std::pair<std::string, std::string>> shown;
    for (int row = 0; row < ids::kMostDeviceRows; ++row) {
      if (!ui.gadget_exists(ids::device_button(row))) {
        shown.emplace_back("", "");
        continue;
      }
      shown.emplace_back(ui.gadget_text(ids::device_path_label(row)), ui.gadget_text(ids::device_button(row)));
    }
    while (!shown.empty() && shown.back().first.empty()) shown.pop_back();
    return shown;
  }

  FakeDevices devices;
  HeadlessUi ui;
  OutputChoice choice;
};

TEST(DeviceSelection, ListsAsioDriversFromTheTopThenWasapiAfterOneEmptyRow) {
  Selection s;
  s.devices.asio = {"Card: USB (hw:1,0)", "", "Null output"};
  s.devices.wasapi = {wasapi_device("Card: USB (plughw:1,0)", 3), wasapi_device("Loopback", 0),
                      wasapi_device("Input", 5), wasapi_device("Card: HDMI (plughw:0,3)", 1)};
  s.run([&] {
    EXPECT_EQ(s.ui.window_title(ids::kDeviceWindow), "Please select audio device.  ( X = Exit )");
    EXPECT_EQ(s.ui.window_rect(ids::kDeviceWindow).w, 650);
    EXPECT_EQ(s.ui.window_rect(ids::kDeviceWindow).h, 650);
    EXPECT_EQ(s.ui.window_colour(ids::kDeviceWindow), 0x400040u);
    EXPECT_TRUE(s.ui.is_window_topmost(ids::kDeviceWindow));
    using Row = std::pair<std::string, std::string>;
    EXPECT_EQ(s.rows(), (std::vector<Row>{{"ASIO", "Card: USB (hw:1,0)"},
                                          {"ASIO", "Null output"},
                                          {"", ""},
                                          {"WASAPI", "Card: USB (plughw:1,0)"},
                                          {"WASAPI", "Card: HDMI (plughw:0,3)"}}));
    EXPECT_EQ(s.ui.gadget_rect(200), (Rect{5, 10, 80, 25}));
    EXPECT_EQ(s.ui.gadget_rect(301), (Rect{90, 50, 550, 25}));
    EXPECT_EQ(s.ui.gadget_rect(304), (Rect{90, 170, 550, 25}));
    EXPECT_EQ(s.ui.gadget_font(304), ids::kFontA);
    s.ui.press_button(ids::device_button(4));
  });
  EXPECT_EQ(s.choice.mode, kOutputWasapi);
  EXPECT_EQ(s.choice.wasapi_device, 3);  // its index among all devices, unusable ones too
  EXPECT_FALSE(s.ui.window_exists(ids::kDeviceWindow));
  ASSERT_TRUE(s.ui.font_info(ids::kFontB));  // the interface fonts exist from here on
}

TEST(DeviceSelection, WithoutWasapiDevicesTheAsioRowsStandAlone) {
  Selection s;
  s.devices.asio = {"Null output"};
  EXPECT_TRUE(s.run([&] {
    EXPECT_EQ(s.rows().size(), 1u);
    EXPECT_EQ(s.ui.gadget_rect(ids::device_button(0)), (Rect{90, 10, 550, 25}));
    s.ui.press_button(ids::device_button(0));
  }));
  EXPECT_EQ(s.choice.mode, kOutputAsio);
  EXPECT_EQ(s.choice.asio_device, 0);
  EXPECT_EQ(s.choice.asio_table[0].name, "Null output");
}

TEST(DeviceSelection, AClickTakesTheFirstDeviceOfThatName) {
  Selection s;
  s.devices.asio = {"Twin", "Other", "Twin"};
  s.devices.wasapi = {wasapi_device("Pair", 2), wasapi_device("Pair", 1), wasapi_device("Pair", 1)};
  s.run([&] { s.ui.press_button(ids::device_button(2)); });  // the second "Twin"
  EXPECT_EQ(s.choice.mode, kOutputAsio);
  EXPECT_EQ(s.choice.asio_device, 0);

  Selection w;
  w.devices = s.devices;
  w.run([&] { w.ui.press_button(ids::device_button(5)); });  // the second usable "Pair"
  EXPECT_EQ(w.choice.mode, kOutputWasapi);
  EXPECT_EQ(w.choice.wasapi_device, 1);
}

TEST(DeviceSelection, OffersElevenAsioDriversAtMost) {
  Selection s;
  for (int i = 0; i < 14; ++i) s.devices.asio.push_back("Driver " + std::to_string(i));
  s.run([&] {
    EXPECT_EQ(s.rows().size(), 11u);
    s.ui.press_button(ids::device_button(10));
  });
  EXPECT_EQ(s.choice.asio_device, 10);
}

TEST(DeviceSelection, XOrClosingEndsWithoutAChoice) {
  for (bool by_shortcut : {true, false}) {
    Selection s;
    s.devices.asio = {"Null output"};
    const bool chosen = s.run([&] {
      const auto shortcuts = s.ui.shortcuts(ids::kDeviceWindow);
      ASSERT_EQ(shortcuts.size(), 1u);
      EXPECT_EQ(shortcuts[0].key, 'X');
      // A click beside the buttons chooses nothing.
      s.ui.click_gadget(ids::device_path_label(0));
      Event leave(by_shortcut ? EventKind::Shortcut : EventKind::CloseWindow, ids::kDeviceWindow);
      leave.shortcut = shortcuts[0].id;
      s.ui.inject(leave);
    });
    EXPECT_FALSE(chosen);
    EXPECT_EQ(s.choice.mode, 0);
    EXPECT_FALSE(s.ui.window_exists(ids::kDeviceWindow));
  }
}

TEST(DeviceSelection, NoDeviceAtAllIsSaidAndEndsTheProgram) {
  Selection s;
  EXPECT_FALSE(select_output_device(s.ui, s.choice, s.devices.calls()));
  const auto boxes = s.ui.message_boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "This app support ASIO2 and WASAPI devices.");
  EXPECT_EQ(boxes[0].text,
            "Please install ASIO2 compatible driver. ASIO4ALL or ASIOKS, etc.\r\n\r\nCould you buy Pellarin?");
  EXPECT_EQ(boxes[0].flags, 16u);
  EXPECT_FALSE(s.ui.window_exists(ids::kDeviceWindow));
}

TEST(DeviceSelection, WasapiDevicesNoneUsableLeaveOnlyTheEmptyRow) {
  Selection s;
  s.devices.wasapi = {wasapi_device("Input", 5)};
  EXPECT_FALSE(s.run([&] {
    EXPECT_TRUE(s.rows().empty());
    EXPECT_TRUE(s.ui.window_exists(ids::kDeviceWindow));
    s.ui.inject(Event(EventKind::CloseWindow, ids::kDeviceWindow));
  }));
  EXPECT_TRUE(s.ui.message_boxes().empty());
}

TEST(DeviceSelection, AListLongerThanTheWindowGrowsIt) {
  Selection s;
  for (int i = 0; i < 11; ++i) s.devices.asio.push_back("Driver " + std::to_string(i));
  for (int i = 0; i < 9; ++i) s.devices.wasapi.push_back(wasapi_device("Device " + std::to_string(i), 1));
  s.run([&] {
    const Rect window = s.ui.window_rect(ids::kDeviceWindow);
    const Rect last = s.ui.gadget_rect(ids::device_button(20));
    EXPECT_EQ(last.y, 810);
    EXPECT_GE(window.h, last.bottom());
    s.ui.press_button(ids::device_button(20));
  });
  EXPECT_EQ(s.choice.wasapi_device, 8);
}

}  // namespace
}  // namespace sonvale::output
