// Borrowing a card from a sound server: a small fake server holds "card 7" on a
// session bus of the test's own, through org.freedesktop.ReserveDevice1, and keeps
// the card busy while it holds it. Playback asks it for the card, plays when it lets
// go, fails with the device's message when it refuses, and gives the card back at
// stop, when the server takes it again.
#include <gtest/gtest.h>

#include <QtCore/QCoreApplication>
#include <QtCore/QThread>
#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusConnectionInterface>
#include <QtDBus/QDBusMessage>
#include <QtDBus/QDBusServiceWatcher>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

#include "audiolib/asio.h"
#include "audiolib/device_catalog.h"
#include "audiolib/device_null_stream.h"
#include "engine/sample_format.h"
#include "output/card_borrowing.h"
#include "output/start_playback.h"
#include "output/stop_playback.h"
#include "platform/card_reservation.h"
#include "platform/player_ids.h"
#include "playback_fixture.h"
#include "support/private_bus.h"

namespace sonvale::output {
namespace {

constexpr int kCard = 7;
const QString kName = QStringLiteral("org.freedesktop.ReserveDevice1.Audio7");
const QString kPath = QStringLiteral("/org/freedesktop/ReserveDevice1/Audio7");

// What the server and the card did, in order, from every thread.
class Log {
 public:
  void add(std::string line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(std::move(line));
  }
  std::vector<std::string> lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
  }
  // The first lines; the card may be opened more than once in a start.
  std::vector<std::string> first(std::size_t n) const {
    auto all = lines();
    all.resize(std::min(n, all.size()));
    return all;
  }
  bool has(const std::string& line) const {
    const auto all = lines();
    return std::find(all.begin(), all.end(), line) != all.end();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

// Waits for a condition while the main thread's Qt events run (where our side of
// the bus answers); the time-out only decides "hung".
bool eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// The sound server: holds the card's name (replaceable, as servers do) on its own
// connection and thread, lets the card go when asked or refuses, and takes the card
// again as soon as the name is free.
class FakeServer final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ReserveDevice1")

 public:
  FakeServer(Log& log, bool lets_go) : log_(log), lets_go_(lets_go) {}

  std::atomic<bool> holds_card{false};

  void start() {
    bus_ = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-server")));
    bus_->registerObject(kPath, this, QDBusConnection::ExportScriptableSlots);
    watcher_ = new QDBusServiceWatcher(kName, *bus_, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] { take_card(); });
    take_card();
  }
  void stop() {
    delete watcher_;
    bus_->unregisterObject(kPath);
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-server"));
    bus_.reset();
  }
  QString unique_name() const { return bus_->baseService(); }

  // Asks whoever holds the card to let it go, as another program would.
  void ask_holder() {
    QDBusMessage call = QDBusMessage::createMethodCall(kName, kPath, QStringLiteral("org.freedesktop.ReserveDevice1"),
                                                       QStringLiteral("RequestRelease"));
    call << 100;
    const QDBusMessage reply = bus_->call(call, QDBus::Block, 10000);
    log_.add(reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().value(0).toBool()
                 ? "holder refused"
                 : "holder answered otherwise");
  }

 public Q_SLOTS:
  Q_SCRIPTABLE bool RequestRelease(int priority) {
    log_.add("asked " + std::to_string(priority));
    if (!lets_go_) {
      log_.add("refused");
      return false;
    }
    holds_card = false;
    log_.add("let go");
    return true;
  }

 private:
  void take_card() {
    constexpr uint kAllowReplacement = 1, kDoNotQueue = 4, kPrimaryOwner = 1;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
    call << kName << (kAllowReplacement | kDoNotQueue);
    const QDBusMessage reply = bus_->call(call);
    if (reply.arguments().value(0).toUInt() != kPrimaryOwner) return;
    holds_card = true;
    log_.add("took the card");
  }

  Log& log_;
  bool lets_go_;
  std::unique_ptr<QDBusConnection> bus_;
  QDBusServiceWatcher* watcher_ = nullptr;
};

// Card 7's playback device: busy while the server holds the card, else a null
// device that keeps time.
class CardStream final : public audiolib::DeviceStream {
 public:
  CardStream(Log& log, const std::atomic<bool>& server_holds) : log_(log), server_holds_(server_holds) {}
  audiolib::DeviceStatus open() override {
    if (server_holds_) return audiolib::DeviceStatus::failure(-EBUSY, "card 7: Device busy");
    log_.add("opened");
    return device_.open();
  }
  void close() override { device_.close(); }
  bool is_open() const override { return device_.is_open(); }
  bool supports_rate(unsigned rate) override { return device_.supports_rate(rate); }
  audiolib::DeviceStatus configure(const audiolib::StreamRequest& r) override { return device_.configure(r); }
  const audiolib::StreamSetup& setup() const override { return device_.setup(); }
  long write(const std::byte* data, unsigned long frames) override { return device_.write(data, frames); }
  void wait(unsigned long frames, int timeout_ms) override { device_.wait(frames, timeout_ms); }

 private:
  Log& log_;
  const std::atomic<bool>& server_holds_;
  audiolib::NullStream device_;
};

class CardReservation : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!sonvale::test::use_private_session_bus()) return;
    static int argc = 1;
    static char name[] = "card_reservation_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
  }

  void SetUp() override {
    if (QCoreApplication::instance() == nullptr) GTEST_SKIP() << "no dbus-daemon to run a session bus";
    reservation_ = platform::connect_card_reservation("Sonvale test");
    ASSERT_NE(reservation_, nullptr);
    f_.player.card_reservation = reservation_.get();
    f_.player.card_of = [](const OutputChoice&) { return std::optional<int>(kCard); };
    f_.output.asio_device = audiolib::asio_add_stream_driver(
        "card 7", [this] { return std::make_shared<CardStream>(log_, server_holds()); });
    sonvale::test::write_wav(f_.dir.file("a.wav"), sonvale::test::reference_pcm(44100, 2, 16, 10 * 44100));
    ASSERT_TRUE(f_.add(f_.dir.file("a.wav")));
  }

  void TearDown() override {
    if (server_) {
      QMetaObject::invokeMethod(server_.get(), [this] { server_->stop(); }, Qt::BlockingQueuedConnection);
      server_thread_.quit();
      server_thread_.wait();
    }
  }

  void run_server(bool lets_go) {
    server_ = std::make_unique<FakeServer>(log_, lets_go);
    server_->moveToThread(&server_thread_);
    server_thread_.start();
    QMetaObject::invokeMethod(server_.get(), [this] { server_->start(); }, Qt::BlockingQueuedConnection);
    ASSERT_TRUE(server_->holds_card);
  }

  const std::atomic<bool>& server_holds() const { return server_ ? server_->holds_card : nobody_; }

  QString name_owner() const {
    return QDBusConnection::sessionBus().interface()->serviceOwner(kName).value();
  }

  Log log_;
  std::atomic<bool> nobody_{false};
  std::unique_ptr<FakeServer> server_;
  QThread server_thread_;
  std::unique_ptr<platform::CardReservation> reservation_;
  test::PlaybackFixture f_;
};

TEST_F(CardReservation, TheServerLetsGoPlaybackOpensTheCardAndStopGivesItBack) {
  run_server(true);
  start_playback(f_.player, 0);
  ASSERT_TRUE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_TRUE(f_.ui.message_boxes().empty());
  EXPECT_EQ(log_.first(4), (std::vector<std::string>{"took the card", "asked 2147483647", "let go", "opened"}));
  EXPECT_EQ(reservation_->held_card(), kCard);
  EXPECT_EQ(name_owner(), QDBusConnection::sessionBus().baseService());

  // While it plays, the card is not let go to anyone.
  QMetaObject::invokeMethod(server_.get(), [this] { server_->ask_holder(); }, Qt::QueuedConnection);
  EXPECT_TRUE(eventually([this] { return log_.has("holder refused") || log_.has("holder answered otherwise"); }));
  EXPECT_TRUE(log_.has("holder refused"));
  EXPECT_TRUE(audiolib::BASS_ASIO_IsStarted());

  stop_playback(f_.player, 0);
  EXPECT_EQ(reservation_->held_card(), -1);
  EXPECT_TRUE(eventually([this] { return server_->holds_card.load(); }));
  EXPECT_EQ(name_owner(), server_->unique_name());
  EXPECT_EQ(log_.lines().back(), "took the card");
}

TEST_F(CardReservation, AServerThatRefusesGetsTheDeviceMessage) {
  run_server(false);
  start_playback(f_.player, 0);
  EXPECT_FALSE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_EQ(log_.lines(), (std::vector<std::string>{"took the card", "asked 2147483647", "refused"}));
  ASSERT_EQ(f_.ui.message_boxes().size(), 1u);
  EXPECT_EQ(f_.ui.message_boxes()[0].title, "ASIO didn't set 44100Hz or other error.");
  EXPECT_EQ(f_.ui.message_boxes()[0].text, "Could you check ASIO devices?");
  EXPECT_EQ(f_.ui.gadget_text(ids::kRateDisplay), "Reject");
  EXPECT_EQ(f_.loader.playing_page, 0);
  EXPECT_EQ(reservation_->held_card(), -1);
  EXPECT_TRUE(server_->holds_card);
  EXPECT_EQ(name_owner(), server_->unique_name());
}

TEST_F(CardReservation, ASkipKeepsTheCardAndARestartThatFindsNothingGivesItBack) {
  // Longer than two blocks, so that the skip goes on to the next entry.
  sonvale::test::write_wav(f_.dir.file("long.wav"),
                           sonvale::test::reference_pcm(44100, 2, 16, 2 * engine::kBlockFrames + 1000));
  f_.playlist.clear_page();  // page 1, where a.wav alone was
  ASSERT_TRUE(f_.add(f_.dir.file("long.wav")));
  ASSERT_TRUE(f_.add(f_.dir.file("a.wav")));
  run_server(true);
  start_playback(f_.player, 0);
  ASSERT_TRUE(audiolib::BASS_ASIO_IsStarted());
  const auto skip = [this] {
    stop_playback(f_.player, 1);
    f_.queue.clear();
    start_playback(f_.player, 1);
  };
  skip();
  ASSERT_TRUE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_EQ(f_.queue.front()->line2, "a");
  const std::vector<std::string> lines = log_.lines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "took the card"), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "asked 2147483647"), 1);
  EXPECT_FALSE(server_->holds_card);
  EXPECT_EQ(reservation_->held_card(), kCard);

  skip();  // past the last entry: nothing to play
  EXPECT_FALSE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_EQ(f_.ui.gadget_text(ids::kRateDisplay), "Crush");
  EXPECT_EQ(reservation_->held_card(), -1);
  EXPECT_TRUE(eventually([this] { return server_->holds_card.load(); }));
}

TEST_F(CardReservation, ACardNobodyHoldsIsTakenAndFreedAgain) {
  start_playback(f_.player, 0);
  ASSERT_TRUE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_EQ(log_.first(1), std::vector<std::string>{"opened"});
  EXPECT_EQ(name_owner(), QDBusConnection::sessionBus().baseService());
  stop_playback(f_.player, 0);
  EXPECT_FALSE(QDBusConnection::sessionBus().interface()->isServiceRegistered(kName).value());
}

TEST(CardOfDevice, OnlyHardwareNamesNameACard) {
  EXPECT_EQ(card_of_pcm("hw:1,0"), 1);
  EXPECT_EQ(card_of_pcm("plughw:12,3"), 12);
  EXPECT_EQ(card_of_pcm("hw:0"), 0);
  for (const char* other : {"null", "default", "hw:", "hw:x,0", "hw:-1,0", "hw:1x", "dmix:1,0", "file"})
    EXPECT_EQ(card_of_pcm(other), std::nullopt) << other;
}

}  // namespace
}  // namespace sonvale::output

#include "card_reservation_test.moc"
