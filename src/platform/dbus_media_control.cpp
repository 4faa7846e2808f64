// The player on the session bus as an MPRIS 2 media player, through QtDBus: the
// desktop's media keys and player widgets find it there.
#include <QtCore/QCoreApplication>
#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QStringList>
#include <QtCore/QVariantMap>
#include <QtDBus/QDBusAbstractAdaptor>
#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusMessage>
#include <QtDBus/QDBusObjectPath>

#include <algorithm>
#include <cmath>

#include "platform/media_control.h"

namespace sonvale::platform {
namespace {

const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

QString from_utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString status_name(MediaState::Status status) {
  switch (status) {
    case MediaState::Status::Playing: return QStringLiteral("Playing");
    case MediaState::Status::Paused: return QStringLiteral("Paused");
    case MediaState::Status::Stopped: break;
  }
  return QStringLiteral("Stopped");
}

bool same_track(const MediaState& a, const MediaState& b) {
  const bool a_stopped = a.status == MediaState::Status::Stopped;
  const bool b_stopped = b.status == MediaState::Status::Stopped;
  if (a_stopped || b_stopped) return a_stopped == b_stopped;
  return a.title == b.title && a.album == b.album && a.length_us == b.length_us;
}

// The object under kPath: keeps the state last published, turns calls into events
// and announces changes. Its two adaptors are the MPRIS interfaces.
class MprisObject final : public QObject {
 public:
  MprisObject(Ui& ui, QDBusConnection bus, QString identity, QString desktop_entry)
      : ui_(ui), bus_(std::move(bus)), identity_(std::move(identity)), desktop_entry_(std::move(desktop_entry)) {}

  const MediaState& state() const { return state_; }
  const QString& identity() const { return identity_; }
  const QString& desktop_entry() const { return desktop_entry_; }

  void request(MediaRequest request, int value = 0) {
    Event event(EventKind::MediaRequest);
    event.detail = static_cast<int>(request);
    event.value = value;
    ui_.inject(std::move(event));
  }

  QVariantMap metadata() const {
    QVariantMap map;
    if (state_.status == MediaState::Status::Stopped) {
      map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(kNoTrack)));
      return map;
    }
    const QString id = QStringLiteral("/sonvale/track/") + QString::number(track_serial_);
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(id)));
    map.insert(QStringLiteral("mpris:length"), QVariant::fromValue(qlonglong{state_.length_us}));
    map.insert(QStringLiteral("xesam:title"), from_utf8(state_.title));
    map.insert(QStringLiteral("xesam:album"), from_utf8(state_.album));
    return map;
  }

  double volume() const { return static_cast<double>(state_.volume_step) / kTopVolumeStep; }

  void publish(const MediaState& next) {
    const MediaState last = std::exchange(state_, next);
    QVariantMap player;
    if (last.status != next.status) player.insert(QStringLiteral("PlaybackStatus"), status_name(next.status));
    if (!same_track(last, next)) {
      ++track_serial_;
      player.insert(QStringLiteral("Metadata"), metadata());
    }
    if (last.volume_step != next.volume_step) player.insert(QStringLiteral("Volume"), volume());
    if (last.can_play != next.can_play) player.insert(QStringLiteral("CanPlay"), next.can_play);
    if (last.can_pause != next.can_pause) player.insert(QStringLiteral("CanPause"), next.can_pause);
    if (last.can_go_next != next.can_go_next) player.insert(QStringLiteral("CanGoNext"), next.can_go_next);
    announce(kPlayerInterface, player);
    if (last.can_quit != next.can_quit) announce(kRootInterface, {{QStringLiteral("CanQuit"), next.can_quit}});
  }

 private:
  void announce(const QString& interface, const QVariantMap& changed) {
    if (changed.isEmpty()) return;
    QDBusMessage signal = QDBusMessage::createSignal(kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << interface << changed << QStringList();
    bus_.send(signal);
  }

  Ui& ui_;
  QDBusConnection bus_;
  QString identity_;
  QString desktop_entry_;
  MediaState state_;
  int track_serial_ = 0;
};

class RootAdaptor final : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ can_quit)
  Q_PROPERTY(bool CanRaise READ yes)
  Q_PROPERTY(bool HasTrackList READ no)
  Q_PROPERTY(QString Identity READ identity)
  Q_PROPERTY(QString DesktopEntry READ desktop_entry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ none)
  Q_PROPERTY(QStringList SupportedMimeTypes READ none)

 public:
  explicit RootAdaptor(MprisObject* object) : QDBusAbstractAdaptor(object), object_(*object) {}

  bool can_quit() const { return object_.state().can_quit; }
  bool yes() const { return true; }
  bool no() const { return false; }
  QString identity() const { return object_.identity(); }
  QString desktop_entry() const { return object_.desktop_entry(); }
  // The player opens nothing it is handed; it only plays its playlist.
  QStringList none() const { return {}; }

 public Q_SLOTS:
  void Raise() { object_.request(MediaRequest::Raise); }
  void Quit() { object_.request(MediaRequest::Quit); }

 private:
  MprisObject& object_;
};

class PlayerAdaptor final : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ playback_status)
  Q_PROPERTY(double Rate READ rate WRITE set_rate)
  Q_PROPERTY(double MinimumRate READ rate)
  Q_PROPERTY(double MaximumRate READ rate)
  Q_PROPERTY(QVariantMap Metadata READ metadata)
  Q_PROPERTY(double Volume READ volume WRITE set_volume)
  Q_PROPERTY(qlonglong Position READ position)
  Q_PROPERTY(bool CanGoNext READ can_go_next)
  Q_PROPERTY(bool CanGoPrevious READ no)
  Q_PROPERTY(bool CanPlay READ can_play)
  Q_PROPERTY(bool CanPause READ can_pause)
  Q_PROPERTY(bool CanSeek READ no)
  Q_PROPERTY(bool CanControl READ yes)

 public:
  explicit PlayerAdaptor(MprisObject* object) : QDBusAbstractAdaptor(object), object_(*object) {}

  QString playback_status() const { return status_name(object_.state().status); }
  double rate() const { return 1.0; }
  void set_rate(double) {}  // the player plays at one speed only
  QVariantMap metadata() const { return object_.metadata(); }
  double volume() const { return object_.volume(); }
  // The nearest of the volume steps; what is not a number changes nothing.
  void set_volume(double volume) {
    if (!std::isfinite(volume)) return;
    const long step = std::lround(std::clamp(volume, 0.0, 1.0) * kTopVolumeStep);
    object_.request(MediaRequest::Volume, static_cast<int>(step));
  }
  qlonglong position() const { return object_.state().position_us; }
  bool can_go_next() const { return object_.state().can_go_next; }
  bool can_play() const { return object_.state().can_play; }
  bool can_pause() const { return object_.state().can_pause; }
  bool yes() const { return true; }
  bool no() const { return false; }

 public Q_SLOTS:
  void Play() { object_.request(MediaRequest::Play); }
  void Pause() { object_.request(MediaRequest::Pause); }
  void PlayPause() { object_.request(MediaRequest::PlayPause); }
  void Stop() { object_.request(MediaRequest::Stop); }
  void Next() { object_.request(MediaRequest::Next); }
  // Neither going back nor seeking is offered (CanGoPrevious and CanSeek are false).
  void Previous() {}
  void Seek(qlonglong offset) { Q_UNUSED(offset); }
  void SetPosition(const QDBusObjectPath& track, qlonglong position) {
    Q_UNUSED(track);
    Q_UNUSED(position);
  }
  void OpenUri(const QString& uri) { Q_UNUSED(uri); }

 Q_SIGNALS:
  void Seeked(qlonglong position);

 private:
  MprisObject& object_;
};

class BusMediaControl final : public MediaControl {
 public:
  BusMediaControl(Ui& ui, QDBusConnection bus, QString identity, QString desktop_entry)
      : bus_(bus), object_(ui, bus, std::move(identity), std::move(desktop_entry)) {
    new RootAdaptor(&object_);
    new PlayerAdaptor(&object_);
  }
  ~BusMediaControl() override {
    if (!service_.isEmpty()) bus_.unregisterService(service_);
    bus_.unregisterObject(kPath);
  }

  // Puts the object on the bus under the player's name, or under a name of this
  // instance when another player took it.
  bool join() {
    if (!bus_.registerObject(kPath, &object_, QDBusConnection::ExportAdaptors)) return false;
    const QString name = QStringLiteral("org.mpris.MediaPlayer2.") + object_.identity().toLower();
    for (const QString& candidate :
         {name, name + QStringLiteral(".instance") + QString::number(QCoreApplication::applicationPid())})
      if (bus_.registerService(candidate)) {
        service_ = candidate;
        return true;
      }
    return false;
  }

  void publish(const MediaState& state) override { object_.publish(state); }

 private:
  QDBusConnection bus_;
  MprisObject object_;
  QString service_;
};

}  // namespace

std::unique_ptr<MediaControl> connect_media_control(Ui& ui, std::string_view identity,
                                                    std::string_view desktop_entry) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return nullptr;
  auto control = std::make_unique<BusMediaControl>(ui, bus, from_utf8(identity), from_utf8(desktop_entry));
  if (!control->join()) return nullptr;
  return control;
}

}  // namespace sonvale::platform

#include "dbus_media_control.moc"
