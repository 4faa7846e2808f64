// Card reservations through QtDBus: org.freedesktop.ReserveDevice1, the protocol
// that PulseAudio, PipeWire and JACK use to hand sound cards to each other.
#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusMessage>

#include <cstdint>
#include <limits>

#include "platform/card_reservation.h"

namespace sonvale::platform {
namespace {

const QString kBusService = QStringLiteral("org.freedesktop.DBus");
const QString kBusPath = QStringLiteral("/org/freedesktop/DBus");
const QString kInterface = QStringLiteral("org.freedesktop.ReserveDevice1");

// RequestName's flags and answers.
constexpr std::uint32_t kReplaceExisting = 2;
constexpr std::uint32_t kDoNotQueue = 4;
constexpr std::uint32_t kPrimaryOwner = 1;
constexpr std::uint32_t kExists = 3;
constexpr std::uint32_t kAlreadyOwner = 4;

// We hold a card only while we play to it, so the highest priority: the name is
// taken without leave to replace it, and every request to let it go is refused.
constexpr std::int32_t kPriority = std::numeric_limits<std::int32_t>::max();
// How long a holder may take to close the card and answer.
constexpr int kAnswerMs = 5000;

QString card_name(int card) { return QStringLiteral("Audio") + QString::number(card); }
QString service_name(int card) { return kInterface + QLatin1Char('.') + card_name(card); }
QString object_path(int card) { return QStringLiteral("/org/freedesktop/ReserveDevice1/") + card_name(card); }

// The object the protocol expects under the name while we hold the card: whoever
// wants the card asks it, and monitors read who has it.
class ReservedCard final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ReserveDevice1")
  Q_PROPERTY(int Priority READ priority)
  Q_PROPERTY(QString ApplicationName READ application_name)
  Q_PROPERTY(QString ApplicationDeviceName READ device_name)

 public:
  explicit ReservedCard(QString application) : application_(std::move(application)) {}

  int priority() const { return kPriority; }
  QString application_name() const { return application_; }
  QString device_name() const { return device_; }
  void set_card(int card) { device_ = QStringLiteral("hw:") + QString::number(card); }

 public Q_SLOTS:
  bool RequestRelease(int priority) {
    Q_UNUSED(priority);
    return false;
  }

 private:
  QString application_;
  QString device_;
};

class BusCardReservation final : public CardReservation {
 public:
  BusCardReservation(QDBusConnection bus, QString application)
      : bus_(std::move(bus)), card_(std::move(application)) {}
  ~BusCardReservation() override { release(); }

  bool acquire(int card) override {
    if (card == held_) return true;
    release();
    card_.set_card(card);
    if (!bus_.registerObject(object_path(card), &card_,
                             QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties))
      return false;
    std::uint32_t answer = request_name(service_name(card), kDoNotQueue);
    if (answer == kExists && holder_lets_go(card))
      answer = request_name(service_name(card), kDoNotQueue | kReplaceExisting);
    if (answer == kPrimaryOwner || answer == kAlreadyOwner) {
      held_ = card;
      return true;
    }
    bus_.unregisterObject(object_path(card));
    return false;
  }

  void release() override {
    if (held_ < 0) return;
    QDBusMessage call = QDBusMessage::createMethodCall(kBusService, kBusPath, kBusService, QStringLiteral("ReleaseName"));
    call << service_name(held_);
    bus_.call(call);
    bus_.unregisterObject(object_path(held_));
    held_ = -1;
  }

  int held_card() const override { return held_; }

 private:
  // RequestName's answer, 0 when the bus gave none.
  std::uint32_t request_name(const QString& name, std::uint32_t flags) {
    QDBusMessage call = QDBusMessage::createMethodCall(kBusService, kBusPath, kBusService, QStringLiteral("RequestName"));
    call << name << flags;
    const QDBusMessage reply = bus_.call(call);
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).toUInt() : 0;
  }

  // Asks the card's holder to close it; true once it has.
  bool holder_lets_go(int card) {
    QDBusMessage call = QDBusMessage::createMethodCall(service_name(card), object_path(card), kInterface,
                                                       QStringLiteral("RequestRelease"));
    call << kPriority;
    const QDBusMessage reply = bus_.call(call, QDBus::Block, kAnswerMs);
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
  }

  QDBusConnection bus_;
  ReservedCard card_;
  int held_ = -1;
};

}  // namespace

std::unique_ptr<CardReservation> connect_card_reservation(std::string_view application) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return nullptr;
  return std::make_unique<BusCardReservation>(
      bus, QString::fromUtf8(application.data(), static_cast<qsizetype>(application.size())));
}

}  // namespace sonvale::platform

#include "dbus_card_reservation.moc"
