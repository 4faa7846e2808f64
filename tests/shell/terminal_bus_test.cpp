// The player in a terminal on the session bus: with no bus running it starts none
// and borrows nothing; with one, it holds a card's name there as the window does,
// and while the terminal waits it refuses another program that asks for the card.
#include <gtest/gtest.h>

#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusMessage>

#include <chrono>
#include <future>
#include <string>

#include "platform/ui_headless.h"
#include "shell/app.h"
#include "shell/terminal_io.h"
#include "support/audio_fixtures.h"
#include "support/private_bus.h"
#include "support/scoped_env.h"

namespace sonvale::shell {
namespace {

TEST(TerminalBus, WithoutASessionBusNoneIsStartedAndNothingBorrowed) {
  test::TempDir runtime;  // no "bus" socket in it
  test::ScopedEnv no_address("DBUS_SESSION_BUS_ADDRESS", std::nullopt);
  test::ScopedEnv no_socket("XDG_RUNTIME_DIR", runtime.path());
  platform::HeadlessUi ui;
  App app(ui);
  join_session_bus(app);
  EXPECT_EQ(app.headless_bus, nullptr);
  EXPECT_EQ(app.player.card_reservation, nullptr);
  answer_bus_requests(app);
}

// What another program hears when it asks the holder of card 7 to let it go.
std::string ask_for_card_7() {
  const QString connection = QStringLiteral("another program");
  std::string heard;
  {
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, connection);
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.ReserveDevice1.Audio7"), QStringLiteral("/org/freedesktop/ReserveDevice1/Audio7"),
        QStringLiteral("org.freedesktop.ReserveDevice1"), QStringLiteral("RequestRelease"));
    call << 100;
    const QDBusMessage reply = bus.call(call, QDBus::Block, 20000);  // only decides "hung"
    if (reply.type() != QDBusMessage::ReplyMessage)
      heard = "no answer: " + reply.errorMessage().toStdString();
    else
      heard = reply.arguments().value(0).toBool() ? "let go" : "refused";
  }
  QDBusConnection::disconnectFromBus(connection);
  return heard;
}

TEST(TerminalBus, TheCardIsHeldOnTheBusAndAnotherProgramIsRefusedWhileTheTerminalWaits) {
  if (!test::use_private_session_bus()) GTEST_SKIP() << "no dbus-daemon to run a session bus";
  platform::HeadlessUi ui;
  App app(ui);
  join_session_bus(app);
  ASSERT_NE(app.player.card_reservation, nullptr);
  ASSERT_TRUE(app.player.card_reservation->acquire(7));  // nobody held it

  std::future<std::string> heard = std::async(std::launch::async, ask_for_card_7);
  // The request reaches us only through the terminal's waiting.
  while (heard.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) answer_bus_requests(app);
  EXPECT_EQ(heard.get(), "refused");
  EXPECT_EQ(app.player.card_reservation->held_card(), 7);
}

}  // namespace
}  // namespace sonvale::shell
