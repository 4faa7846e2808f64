#include "output/settings_window.h"

#include <gtest/gtest.h>

#include "output/fake_devices.h"
#include "output/project_addresses.h"
#include "platform/interface_fonts.h"
#include "platform/player_ids.h"
#include "platform/ui_headless.h"

namespace sonvale::output {
namespace {

using platform::HeadlessUi;
using platform::Rect;
using test::wasapi_device;

// A main window with its output-type label and PAUSE button, and the devices
// listed at start-up.
struct Settings {
  Settings() {
    platform::create_interface_fonts(ui);
    ui.open_window(ids::kMainWindow, Rect{200, 100, 700, 700}, "Sonvale", platform::kWindowTitleBar);
    ui.create_gadget(ids::kMainWindow, ids::kOutputTypeLabel, platform::GadgetKind::Text, Rect{}, "ASIO");
    ui.create_gadget(ids::kMainWindow, ids::kPauseButton, platform::GadgetKind::Text, Rect{}, "PAUSE");
    devices.asio = {"Card A (hw:0,0)", "Null output"};
    devices.wasapi = {wasapi_device("Card A", 3), wasapi_device("Mic", 0), wasapi_device("Twin", 1),
                      wasapi_device("Twin", 1)};
    fill_asio_table(devices.calls(), choice.asio_table);
    choice.mode = kOutputAsio;
    choice.asio_device = 1;
  }
  // Opens the window; `user` runs once it is up and ends with exit().
  void run(std::function<void()> user) {
    ui.post(std::move(user));
    open_settings_window(ui, choice, devices.calls());
  }
  void exit() { ui.press_button(ids::kExitButton); }
  std::vector<std::string> items(int list) const {
    std::vector<std::string> texts;
    for (int i = 0; i < ui.list_item_count(list); ++i) texts.push_back(ui.list_item_text(list, i));
    return texts;
  }

  HeadlessUi ui;
  test::FakeDevices devices;
  OutputChoice choice;
};

TEST(SettingsWindow, OpensCentredOnTheMainWindowWithEveryControl) {
  Settings s;
  s.run([&] {
    EXPECT_EQ(s.ui.window_title(ids::kSettingsWindow), "Audio setting and etc");
    EXPECT_EQ(s.ui.window_rect(ids::kSettingsWindow), (Rect{250, 150, 600, 600}));
    EXPECT_EQ(s.ui.window_owner(ids::kSettingsWindow), ids::kMainWindow);
    EXPECT_TRUE(s.ui.window_flags(ids::kSettingsWindow) & platform::kWindowNoCloseBox);
    struct Control {
      int number;
      platform::GadgetKind kind;
      Rect rect;
      std::string text;
    };
    using K = platform::GadgetKind;
    const Control controls[] = {
        {65, K::Combo, {250, 10, 340, 25}, ""},
        {66, K::Option, {10, 10, 220, 25}, "ASIO Control Deveice"},
        {67, K::Option, {10, 50, 220, 25}, "WASAPI Control Deveice"},
        {68, K::Combo, {250, 50, 340, 25}, ""},
        {69, K::Button, {250, 90, 340, 30}, "Device All Scan"},
        {70, K::Button, {10, 90, 220, 30}, "ASIO control panel"},
        {71, K::Button, {10, 130, 580, 30}, "Sonvale version check. Let's go download sites. (Installed Ver1.835)"},
        {83, K::Button, {10, 560, 340, 30}, "Developer video, blog and etc (Click)"},
        {84, K::Button, {390, 560, 80, 30}, "Apply"},
        {85, K::Button, {500, 560, 80, 30}, "Exit"},
        {86, K::Frame, {10, 190, 580, 360}, "Mini manual"},
        {82, K::Editor, {20, 215, 560, 330}, ""},
    };
    std::vector<int> order;
    for (const Control& c : controls) {
      SCOPED_TRACE(c.number);
      order.push_back(c.number);
      EXPECT_EQ(s.ui.gadget_kind(c.number), c.kind);
      EXPECT_EQ(s.ui.gadget_rect(c.number), c.rect);
      if (!c.text.empty()) {
        EXPECT_EQ(s.ui.gadget_text(c.number), c.text);
      }
    }
    const auto created = s.ui.creation_order();
    EXPECT_EQ(std::vector<int>(created.end() - 12, created.end()), order);
    EXPECT_EQ(s.ui.gadget_font(ids::kManualFrame), ids::kFontB);
    EXPECT_EQ(s.ui.gadget_font(ids::kApplyButton), ids::kFontA);
    EXPECT_EQ(s.ui.gadget_state(ids::kAsioOption), 1);
    EXPECT_EQ(s.ui.gadget_state(ids::kWasapiOption), 0);
    EXPECT_EQ(s.ui.list_item_count(ids::kAsioDeviceList), 0);  // empty until a scan
    s.exit();
  });
  EXPECT_FALSE(s.ui.window_exists(ids::kSettingsWindow));
}

TEST(SettingsWindow, TheManualReadsLineForLine) {
  Settings s;
  s.run([&] {
    const std::string expected =
        "[SOUND MODE]  Stop playing and Select\n"
        "\n"
        "[Green x 1] Original, only playing, LPF blue\n"
        "[Green x 2 / 4]  Up sampling mode Green (multi thread)\n"
        "[Red x 1 / 4] Digital remaster mode Red (multi thread)\n"
        "[Brown x 2 / 4] Digital remaster mode Brown (multi thread)\n"
        "[White x 2 / 4] Digital remaster mode White (multi thread)\n"
        "\n"
        "[LPF blue] Disable Low path filter\n"
        "[LPF green] Standard Low path filter for all.\n"
        "[LPF red] Strong low path filter.\n"
        "[LPF brown] Standard low path filter for Hi-end. (multi thread)\n"
        "\n"
        "Re-select Asio/Wasapi device\n"
        "[Setting]-[Scan]-[Select]-[Apply]-[Exit]\n"
        "\n"
        "Developer contact: " + std::string(kContactAddress);
    EXPECT_EQ(s.ui.gadget_text(ids::kManualText), expected);
    s.exit();
  });
}

TEST(SettingsWindow, ApplyWithoutAScanKeepsTheDevice) {
  Settings asio;
  asio.run([&] {
    asio.ui.press_button(ids::kApplyButton);
    asio.exit();
  });
  EXPECT_EQ(asio.choice.mode, kOutputAsio);
  EXPECT_EQ(asio.choice.asio_device, 1);
  EXPECT_EQ(asio.ui.gadget_text(ids::kOutputTypeLabel), "ASIO");
  EXPECT_FALSE(asio.ui.is_gadget_hidden(ids::kPauseButton));

  Settings wasapi;
  wasapi.choice.mode = kOutputWasapi;
  wasapi.choice.wasapi_device = 2;
  wasapi.ui.set_gadget_text(ids::kOutputTypeLabel, "WASAPI");
  wasapi.ui.hide_gadget(ids::kPauseButton, true);
  wasapi.run([&] {
    EXPECT_EQ(wasapi.ui.gadget_state(ids::kWasapiOption), 1);
    wasapi.ui.press_button(ids::kApplyButton);
    wasapi.exit();
  });
  EXPECT_EQ(wasapi.choice.mode, kOutputWasapi);
  EXPECT_EQ(wasapi.choice.wasapi_device, 2);
  EXPECT_TRUE(wasapi.ui.is_gadget_hidden(ids::kPauseButton));
}

TEST(SettingsWindow, TheScanListsUsableDevicesWithTheirIndexAndSelectsTheChosenOnes) {
  Settings s;
  s.choice.wasapi_device = 3;
  s.run([&] {
    s.ui.press_button(ids::kScanButton);
    s.ui.post([&] {
      EXPECT_EQ(s.items(ids::kAsioDeviceList), (std::vector<std::string>{"Card A (hw:0,0)", "Null output"}));
      EXPECT_EQ(s.ui.gadget_text(ids::kAsioDeviceList), "Null output");
      EXPECT_EQ(s.items(ids::kWasapiDeviceList),
                (std::vector<std::string>{"0 @ Card A", "2 @ Twin", "3 @ Twin"}));
      EXPECT_EQ(s.ui.gadget_text(ids::kWasapiDeviceList), "3 @ Twin");
      s.exit();
    });
  });
  EXPECT_EQ(s.devices.log.front(), "rescan");
}

TEST(SettingsWindow, ApplyTakesTheTickedPathsChoice) {
  Settings s;
  s.run([&] {
    s.ui.press_button(ids::kScanButton);
    s.ui.post([&] {
      // The first of two same-named devices, told apart by its index.
      s.ui.choose_combo_item(ids::kWasapiDeviceList, 1);  // "2 @ Twin"
      s.ui.press_button(ids::kWasapiOption);
      s.ui.press_button(ids::kApplyButton);
      s.ui.post([&] {
        EXPECT_EQ(s.choice.mode, kOutputWasapi);
        EXPECT_EQ(s.choice.wasapi_device, 2);
        EXPECT_EQ(s.ui.gadget_text(ids::kOutputTypeLabel), "WASAPI");
        EXPECT_TRUE(s.ui.is_gadget_hidden(ids::kPauseButton));
        // Back to ASIO with another driver.
        s.ui.choose_combo_item(ids::kAsioDeviceList, 0);
        s.ui.press_button(ids::kAsioOption);
        s.ui.press_button(ids::kApplyButton);
        s.exit();
      });
    });
  });
  EXPECT_EQ(s.choice.mode, kOutputAsio);
  EXPECT_EQ(s.choice.asio_device, 0);
  EXPECT_EQ(s.choice.wasapi_device, 2);
  EXPECT_EQ(s.choice.last_applied_asio_name, "Card A (hw:0,0)");
  EXPECT_EQ(s.ui.gadget_text(ids::kOutputTypeLabel), "ASIO");
  EXPECT_FALSE(s.ui.is_gadget_hidden(ids::kPauseButton));
}

TEST(SettingsWindow, AnEmptyOrUnmatchedChoiceChangesNoDevice) {
  Settings s;
  s.choice.mode = kOutputWasapi;
  s.choice.wasapi_device = 0;
  s.run([&] {
    // WASAPI ticked, its list empty: nothing changes.
    s.ui.press_button(ids::kApplyButton);
    // ASIO ticked with an empty list: the path becomes ASIO, the driver stays.
    s.ui.press_button(ids::kAsioOption);
    s.ui.press_button(ids::kApplyButton);
    s.exit();
  });
  EXPECT_EQ(s.choice.mode, kOutputAsio);
  EXPECT_EQ(s.choice.asio_device, 1);
  EXPECT_EQ(s.choice.wasapi_device, 0);
  EXPECT_EQ(s.ui.gadget_text(ids::kOutputTypeLabel), "ASIO");
}

TEST(SettingsWindow, ARescanThatRenumbersKeepsTheChosenDevices) {
  Settings s;
  s.choice.wasapi_device = 2;  // the first "Twin"
  s.devices.replace_on_rescan = true;
  s.devices.asio_after_rescan = {"Card A (hw:0,0)", "Card B (hw:1,0)", "Null output"};
  s.devices.wasapi_after_rescan = {wasapi_device("Card A", 3), wasapi_device("Card B", 1),
                                   wasapi_device("Mic", 0), wasapi_device("Twin", 1)};
  s.run([&] {
    s.ui.press_button(ids::kScanButton);
    s.ui.post([&] {
      EXPECT_EQ(s.ui.gadget_text(ids::kAsioDeviceList), "Null output");
      EXPECT_EQ(s.ui.gadget_text(ids::kWasapiDeviceList), "3 @ Twin");
      s.ui.press_button(ids::kApplyButton);
      s.exit();
    });
  });
  EXPECT_EQ(s.choice.asio_device, 2);
  EXPECT_EQ(s.choice.wasapi_device, 3);
  EXPECT_EQ(s.choice.asio_table[1].name, "Card B (hw:1,0)");
}

TEST(SettingsWindow, TheControlPanelOpensOnlyAFreeDriver) {
  Settings s;
  s.run([&] {
    s.ui.press_button(ids::kControlPanelButton);
    s.exit();
  });
  EXPECT_EQ(s.devices.log, (std::vector<std::string>{"init 1 1", "panel", "free"}));
  Settings busy;
  busy.devices.init_succeeds = false;
  busy.run([&] {
    busy.ui.press_button(ids::kControlPanelButton);
    busy.exit();
  });
  EXPECT_EQ(busy.devices.log, (std::vector<std::string>{"init 1 1"}));
}

TEST(SettingsWindow, TheLinksGoToTheProjectsAddresses) {
  Settings s;
  s.run([&] {
    s.ui.press_button(ids::kDownloadLinkButton);
    s.ui.press_button(ids::kDeveloperLinkButton);
    s.exit();
  });
  EXPECT_EQ(s.ui.opened_urls(), (std::vector<std::string>{kDownloadUrl, kDeveloperUrl}));
}

TEST(SettingsWindow, MovingItDragsTheMainWindowAlongAndOtherEventsAreIgnored) {
  Settings s;
  s.run([&] {
    s.ui.inject(platform::Event{platform::EventKind::CloseWindow, ids::kMainWindow});
    s.ui.move_window(ids::kSettingsWindow, 40, 60);
    s.ui.inject(platform::Event{platform::EventKind::WindowMoved, ids::kSettingsWindow});
    s.ui.post([&] {
      EXPECT_TRUE(s.ui.window_exists(ids::kSettingsWindow));
      EXPECT_EQ(s.ui.window_rect(ids::kMainWindow), (Rect{-10, 10, 700, 700}));
      s.exit();
    });
  });
}

}  // namespace
}  // namespace sonvale::output
