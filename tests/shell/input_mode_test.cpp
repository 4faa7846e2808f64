// The input mode in the main window, on the headless backend: the mode's loop runs on
// the test's main thread while a second thread plays the user.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <set>
#include <string>
#include <thread>

#include "audiolib/record.h"
#include "audiolib/system_sound.h"
#include "event_loop_fixture.h"
#include "platform/time.h"

namespace sonvale::shell {
namespace {

using platform::EventKind;

class InputModeTest : public EventLoopFixture {
 protected:
  void SetUp() override {
    EventLoopFixture::SetUp();
    audiolib::system_sound_set_device("");  // the silent sink: no card needed
    app_.input_mode.tick_count = [this] { return now_.load(); };
  }

  void right_click_logo() {
    const platform::Rect logo = ui_.gadget_screen_rect(ids::kLogo);
    ui_.set_cursor({logo.x + 5, logo.y + 5});
    ui_.inject(platform::Event(EventKind::RightButtonDown, ids::kMainWindow));
  }

  // Enters the mode with a right click on the logo and runs it until `user`, on a
  // thread of its own, has done its part and left the mode the same way. False when
  // the program would end.
  bool run_mode(const std::function<void()>& user) {
    right_click_logo();
    std::thread driver([&] {
      // The input list is filled last on entry, after the pending events were taken.
      while (ui_.selected_list_item(ids::kInputList) != 0) platform::sleep_ms(1);
      user();
      right_click_logo();
    });
    const bool going_on = pass();
    driver.join();
    return going_on;
  }

  // Waits until the mode's loop has handled everything injected so far.
  void settle() {
    std::promise<void> done;
    std::future<void> handled = done.get_future();
    ui_.post([&done] { done.set_value(); });
    handled.wait();
  }
  void user_click(int gadget) {
    ui_.click_gadget(gadget);
    settle();
  }
  bool shown(int gadget) const { return !ui_.is_gadget_hidden(gadget); }

  std::atomic<std::uint32_t> now_{100000};
};

TEST_F(InputModeTest, AdjustWaitsThreeSecondsAfterADeviceIsChosenThenCalibratesAndPlayNeedsALevel) {
  app_.playback.source_rate = 48000;
  bool ignored_early = false, calibrated = false, play_refused = false;
  ASSERT_TRUE(run_mode([&] {
    EXPECT_TRUE(shown(ids::kRecordingDeviceList) && shown(ids::kInputList) && shown(ids::kAdjustButton));
    EXPECT_FALSE(shown(ids::kPlayButton) || shown(ids::kStopButton) || shown(ids::kAddFilesButton));
    EXPECT_EQ(ui_.list_item_text(ids::kInputList, 0), "Test tone");

    ui_.inject(platform::Event(EventKind::Gadget, ids::kMainWindow, ids::kRecordingDeviceList));
    settle();
    now_ += 2999;
    user_click(ids::kAdjustButton);
    user_click(ids::kInputClearButton);
    ignored_early = shown(ids::kAdjustButton) && !shown(ids::kPlayButton) && !audiolib::record_running();

    now_ += 1;
    ui_.click_gadget(ids::kAdjustButton);
    while (!shown(ids::kPlayButton)) platform::sleep_ms(10);
    settle();
    calibrated = !shown(ids::kAdjustButton) && shown(ids::kStopButton) && !audiolib::record_running() &&
                 app_.input_mode.calibration.input_volume.load() > 0.0f;

    app_.input_mode.calibration.input_volume = 0.0f;
    user_click(ids::kPlayButton);
    play_refused = shown(ids::kPlayButton) && !shown(ids::kCaptureFillBar) && !audiolib::record_running();
  }));
  EXPECT_TRUE(ignored_early);
  EXPECT_TRUE(calibrated);
  EXPECT_TRUE(play_refused);

  // Left: the playlist and the transport controls as before, the source rate back.
  EXPECT_EQ(app_.playback.source_rate, 48000);
  EXPECT_TRUE(ui_.is_gadget_hidden(ids::kRecordingDeviceList));
  EXPECT_TRUE(ui_.is_gadget_hidden(ids::kAdjustButton));
  EXPECT_FALSE(ui_.is_gadget_hidden(ids::kPlayButton));
  EXPECT_FALSE(ui_.is_gadget_hidden(ids::kAddFilesButton));
}

TEST_F(InputModeTest, TheSelectorsNeverOfferBrownWhiteOrLpfBrown) {
  std::set<std::string> labels;
  std::set<std::string> rates;
  std::set<int> filters;
  ASSERT_TRUE(run_mode([&] {
    EXPECT_EQ(text(ids::kSelectorX1), "Red x 1");
    EXPECT_EQ(text(ids::kRateDisplay), "44100");
    EXPECT_EQ(app_.playback.post_filter, 1);
    for (int round = 0; round < 3; ++round)
      for (int gadget : {ids::kSelectorX1, ids::kSelectorX2, ids::kSelectorX4, ids::kSelectorX4, ids::kLpfButton}) {
        user_click(gadget);
        for (int selector : {ids::kSelectorX1, ids::kSelectorX2, ids::kSelectorX4}) labels.insert(text(selector));
        rates.insert(text(ids::kRateDisplay));
        filters.insert(app_.playback.post_filter.load());
      }
  }));
  EXPECT_EQ(labels, (std::set<std::string>{"x 1", "x 2", "x 4", "Green x 1", "Red x 1", "Green x 2", "Green x 4",
                                           "Red x 4"}));
  EXPECT_EQ(rates, (std::set<std::string>{"44100", "88200", "176400"}));
  EXPECT_EQ(filters, (std::set<int>{0, 1, 2}));
}

TEST_F(InputModeTest, ClosingTheWindowInTheModeEndsTheProgram) {
  EXPECT_FALSE(run_mode([&] { ui_.inject(platform::Event(EventKind::CloseWindow, ids::kMainWindow)); }));
  EXPECT_FALSE(audiolib::record_running());
}

}  // namespace
}  // namespace sonvale::shell
