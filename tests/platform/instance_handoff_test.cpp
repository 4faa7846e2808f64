#include "platform/instance_handoff.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "platform/ui_headless.h"

namespace sonvale::platform {
namespace {

std::string unique_title(const char* test) {
  return std::string("SonvaleTest-") + test + "-" + std::to_string(getpid());
}

// A user-interface thread that keeps taking events, as the player's loops do.
class PumpedUi {
 public:
  PumpedUi() : thread_([this] {
      while (!stop_) ui.wait_event(5);
    }) {}
  ~PumpedUi() {
    stop_ = true;
    thread_.join();
  }
  HeadlessUi ui;

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST(InstanceHandoff, OnlyOneInstanceHoldsATitle) {
  const std::string title = unique_title("one");
  PumpedUi pumped;
  EXPECT_FALSE(find_instance_window(title));
  InstanceWindow first, second;
  ASSERT_TRUE(first.open(pumped.ui, title));
  EXPECT_TRUE(find_instance_window(title));
  EXPECT_FALSE(second.open(pumped.ui, title));
  first.close();
  EXPECT_FALSE(find_instance_window(title));
}

TEST(InstanceHandoff, DeliversTheBytesWholeToTheReceiverOnTheUiThread) {
  const std::string title = unique_title("bytes");
  PumpedUi pumped;
  InstanceWindow window;
  ASSERT_TRUE(window.open(pumped.ui, title));
  CopyData received;
  std::thread::id receiver_thread;
  pumped.ui.post([&] {
    window.set_receiver([&](const CopyData& message) {
      received = message;
      receiver_thread = std::this_thread::get_id();
      return 1u;
    });
  });
  const std::string argument = "/music/My Album/01 Song \xE9t\xE9.flac";
  EXPECT_EQ(send_copy_data(title, 1, argument), 1u);
  EXPECT_EQ(received.dw_data, 1u);
  EXPECT_EQ(received.cb_data, argument.size());
  EXPECT_EQ(received.bytes, argument);
  EXPECT_NE(receiver_thread, std::this_thread::get_id());
}

TEST(InstanceHandoff, AnswersZeroBeforeAReceiverIsInstalled) {
  const std::string title = unique_title("early");
  PumpedUi pumped;
  InstanceWindow window;
  ASSERT_TRUE(window.open(pumped.ui, title));
  EXPECT_EQ(send_copy_data(title, 1, "song.flac"), 0u);
}

TEST(InstanceHandoff, ClosingDoesNotWaitForAnAnswerThatCannotCome) {
  const std::string title = unique_title("closing");
  HeadlessUi ui;  // its thread has left its loop, as at the end of the program
  InstanceWindow window;
  ASSERT_TRUE(window.open(ui, title, std::chrono::hours(1)));
  std::optional<std::uint32_t> reply = 7;
  std::thread sender([&] { reply = send_copy_data(title, 1, "song.flac"); });
  while (ui.queued() == 0) std::this_thread::yield();  // the message waits for its answer

  auto closed = std::async(std::launch::async, [&] { window.close(); });
  const bool hung = closed.wait_for(std::chrono::seconds(30)) != std::future_status::ready;
  EXPECT_FALSE(hung) << "closing waits for the answer";
  if (hung) ui.wait_event(0);  // answers after all, so that the test can end
  sender.join();
  EXPECT_FALSE(reply.has_value());  // the sender learns that nobody answered
}

TEST(InstanceHandoff, SendingToNobodyFails) {
  EXPECT_FALSE(send_copy_data(unique_title("nobody"), 1, "song.flac").has_value());
}

TEST(InstanceHandoff, SurvivesMalformedMessages) {
  const std::string title = unique_title("hostile");
  PumpedUi pumped;
  InstanceWindow window;
  ASSERT_TRUE(window.open(pumped.ui, title));
  int calls = 0;
  pumped.ui.post([&] {
    window.set_receiver([&](const CopyData&) { return static_cast<std::uint32_t>(++calls); });
  });

  auto raw_send = [&](const void* data, std::size_t n) {
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name = title + "." + std::to_string(getuid());
    std::copy(name.begin(), name.end(), address.sun_path + 1);
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address),
                      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size())),
              0);
    ASSERT_EQ(write(fd, data, n), static_cast<ssize_t>(n));
    close(fd);
  };
  const std::uint32_t huge[2] = {1, 0xFFFF'FFF0u};  // claims 4 GB of data
  raw_send(huge, sizeof huge);
  const char partial[11] = {1, 0, 0, 0, 100, 0, 0, 0, 'a', 'b', 'c'};  // claims 100, sends 3
  raw_send(partial, sizeof partial);
  raw_send("x", 1);

  EXPECT_EQ(send_copy_data(title, 1, "after"), 1u);
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace sonvale::platform
