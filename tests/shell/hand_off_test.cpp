#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "platform/player_ids.h"
#include "platform/ui_headless.h"
#include "shell/startup.h"

namespace sonvale::shell {
namespace {

using platform::EventKind;

StartupOptions small_options(const std::string& title, const std::string& argument) {
  StartupOptions options = default_startup_options();
  options.instance_title = title;
  options.argument = argument;
  options.reserve = [](std::size_t) { return platform::Reservation::reserve_zeroed(4096); };
  options.counter_address.clear();  // no network
  return options;
}

// A first instance running its whole windowed start on a thread of its own, which
// stands for that process's main thread.
class RunningInstance {
 public:
  explicit RunningInstance(const std::string& title) : app_(ui) {
    thread_ = std::thread([this, title] { exit_code_ = run_windowed(app_, small_options(title, "first.flac")); });
    // The device list is complete once its window is kept on top; the first row is taken.
    while (!ui.is_window_topmost(ids::kDeviceWindow)) std::this_thread::yield();
    ui.press_button(ids::device_button(0));
    while (!ui.is_window_visible(ids::kMainWindow)) std::this_thread::yield();
  }
  ~RunningInstance() { close(); }

  int close() {
    if (thread_.joinable()) {
      ui.inject(platform::Event{EventKind::CloseWindow, ids::kMainWindow});
      thread_.join();
    }
    return exit_code_;
  }

  // Runs work on the instance's main thread and waits for it.
  void on_main_thread(std::function<void()> work) {
    std::atomic<bool> done{false};
    ui.post([&] {
      work();
      done = true;
    });
    while (!done) std::this_thread::yield();
  }

  platform::HeadlessUi ui;

 private:
  App app_;
  std::thread thread_;
  std::atomic<int> exit_code_{-1};
};

std::string unique_title(const char* name) {
  return std::string("SonvaleTest-") + name + "-" + std::to_string(getpid());
}

int second_start(const std::string& title, const std::string& argument,
                 platform::HeadlessUi& ui) {
  App app(ui);
  return run_windowed(app, small_options(title, argument));
}

TEST(HandOff, ASecondStartWithAnArgumentRaisesTheFirstAndExits) {
  const std::string title = unique_title("raise");
  RunningInstance first(title);
  first.on_main_thread([&] {
    first.ui.open_window(99, platform::Rect{0, 0, 10, 10}, "elsewhere", 0);
    first.ui.set_foreground_window(99);
  });

  platform::HeadlessUi second_ui;
  EXPECT_EQ(second_start(title, "/music/My Album/01 Song.flac", second_ui), 0);
  EXPECT_FALSE(second_ui.window_exists(ids::kMainWindow));  // it never built a window

  EXPECT_EQ(first.ui.foreground_window(), ids::kMainWindow);
  EXPECT_TRUE(first.ui.is_window_visible(ids::kMainWindow));
  EXPECT_FALSE(first.ui.is_window_maximized(ids::kMainWindow));
  EXPECT_EQ(first.close(), 0);
}

TEST(HandOff, AMaximisedWindowStaysMaximised) {
  const std::string title = unique_title("maximised");
  RunningInstance first(title);
  first.on_main_thread([&] { first.ui.show_window(ids::kMainWindow, platform::ShowCommand::Maximize); });
  platform::HeadlessUi second_ui;
  EXPECT_EQ(second_start(title, "song.flac", second_ui), 0);
  EXPECT_TRUE(first.ui.is_window_maximized(ids::kMainWindow));
  EXPECT_EQ(first.ui.foreground_window(), ids::kMainWindow);
}

TEST(HandOff, InMiniModeTheMainWindowComesBackInPlaceOfTheOrbAndTakesClicks) {
  const std::string title = unique_title("mini");
  RunningInstance first(title);
  first.ui.click_gadget(ids::kMiniModeButton);
  while (!first.ui.is_window_visible(ids::kMiniWindow)) std::this_thread::yield();

  platform::HeadlessUi second_ui;
  EXPECT_EQ(second_start(title, "song.flac", second_ui), 0);
  EXPECT_FALSE(first.ui.is_window_visible(ids::kMiniWindow));
  EXPECT_TRUE(first.ui.is_window_visible(ids::kMainWindow));
  EXPECT_EQ(first.ui.foreground_window(), ids::kMainWindow);

  // Back in the normal state: a click on REPEAT marks the page. The pass that took the
  // hand-off began in mini mode and lets go of whatever else it takes; an event of no
  // meaning ends it first.
  first.ui.inject(platform::Event{EventKind::Gadget, ids::kMainWindow, ids::kBanner});
  first.on_main_thread([] {});
  first.ui.click_gadget(ids::kRepeatButton);
  first.on_main_thread([] {});
  EXPECT_EQ(first.ui.gadget_text(ids::page_label(1)), "One R");
  // Mini mode lets no close request through; should it still be on, the orb ends it.
  if (first.ui.is_window_visible(ids::kMiniWindow)) first.ui.press_button(ids::kOrbButton);
  EXPECT_EQ(first.close(), 0);
}

TEST(HandOff, ASecondStartWithoutAnArgumentLeavesTheFirstAlone) {
  const std::string title = unique_title("empty");
  RunningInstance first(title);
  first.on_main_thread([&] {
    first.ui.open_window(99, platform::Rect{0, 0, 10, 10}, "elsewhere", 0);
    first.ui.set_foreground_window(99);
  });
  platform::HeadlessUi second_ui;
  EXPECT_EQ(second_start(title, "", second_ui), 0);
  first.on_main_thread([] {});  // anything sent would have been handled by now
  EXPECT_EQ(first.ui.foreground_window(), 99);
}

TEST(HandOff, AQuotedArgumentWithBlanksArrivesWholeWithItsLength) {
  const std::string title = unique_title("quoted");
  platform::HeadlessUi receiver_ui;
  std::atomic<bool> stop{false};
  std::thread pump([&] {
    while (!stop) receiver_ui.wait_event(5);
  });
  platform::InstanceWindow window;
  ASSERT_TRUE(window.open(receiver_ui, title));
  platform::CopyData received;
  std::atomic<bool> ready{false};
  receiver_ui.post([&] {
    window.set_receiver([&](const platform::CopyData& message) {
      received = message;
      return 1u;
    });
    ready = true;
  });
  while (!ready) std::this_thread::yield();

  // sonvale "/home/me/My Music/a b.flac": the quotes are gone, the blanks stay.
  platform::HeadlessUi second_ui;
  EXPECT_EQ(second_start(title, "/home/me/My Music/a b.flac", second_ui), 0);
  stop = true;
  pump.join();
  EXPECT_EQ(received.dw_data, 1u);
  EXPECT_EQ(received.bytes, "/home/me/My Music/a b.flac");
  EXPECT_EQ(received.cb_data, 26u);
}

}  // namespace
}  // namespace sonvale::shell
