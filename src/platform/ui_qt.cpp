// The Qt backend's core: the application, the hand-over to the user-interface
// thread, windows, events, and the desktop's services.
#include "platform/ui_qt.h"

#include <QtCore/QEventLoop>
#include <QtCore/QFile>
#include <QtCore/QMimeData>
#include <QtCore/QThread>
#include <QtCore/QTimer>
#include <QtCore/QUrl>
#include <QtGui/QBitmap>
#include <QtGui/QCloseEvent>
#include <QtGui/QCursor>
#include <QtGui/QDesktopServices>
#include <QtGui/QDropEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QScreen>
#include <QtGui/QShortcut>
#include <QtWidgets/QApplication>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QMessageBox>

#include <condition_variable>
#include <cstdlib>
#include <iostream>

#include "platform/qt_platform_choice.h"
#include "platform/ui_qt_private.h"

namespace sonvale::platform {
namespace {

// "*.WAV;*.MP3" becomes the Qt filter "*.WAV;*.MP3 (*.WAV *.MP3)": the pattern list is
// its own description.
QString name_filter(std::string_view patterns) {
  QString list = to_qstring(patterns);
  list.replace(QLatin1Char(';'), QLatin1Char(' '));
  return to_qstring(patterns) + QStringLiteral(" (") + list + QLatin1Char(')');
}

// The dropped items that are local files, as the file system's bytes.
std::vector<std::string> dropped_files(const QMimeData* data) {
  std::vector<std::string> files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
  return files;
}

}  // namespace

// Sees every button press once, where it first arrives: a press that a gadget
// leaves alone travels on to its parents as new events, and those are not counted.
class QtUi::Application final : public QApplication {
 public:
  Application(int& argc, char** argv, QtUi& ui) : QApplication(argc, argv), ui_(ui) {}

  bool notify(QObject* receiver, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonPress && receiver->isWidgetType()) {
      auto* press = static_cast<QMouseEvent*>(event);
      const QPoint global = press->globalPosition().toPoint();
      ui_.note_press(static_cast<QWidget*>(receiver), press->button(), {global.x(), global.y()});
    }
    return QApplication::notify(receiver, event);
  }

 private:
  QtUi& ui_;
};

// Turns close requests, moves and file drops of our windows into events.
class QtUi::EventFilter final : public QObject {
 public:
  explicit EventFilter(QtUi& ui) : ui_(ui) {}

  bool eventFilter(QObject* object, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr || !widget->isWindow()) return false;
    const int window = ui_.window_number_of(widget);
    if (window < 0) return false;
    switch (event->type()) {
      case QEvent::Close:
        if (closing_) return false;
        // The program decides whether a close request closes anything.
        event->ignore();
        ui_.enqueue(Event(EventKind::CloseWindow, window));
        return true;
      case QEvent::Move:
        ui_.enqueue(Event(EventKind::WindowMoved, window));
        return false;
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (!widget->acceptDrops() || dropped_files(drag->mimeData()).empty()) return false;
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        Event e(EventKind::FilesDropped, window);
        e.files = dropped_files(drop->mimeData());
        if (e.files.empty()) return false;
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        ui_.enqueue(std::move(e));
        return true;
      }
      default:
        return false;
    }
  }

  bool closing_ = false;  // set while the program itself closes a window

 private:
  QtUi& ui_;
};

bool QtUi::display_available() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

QtUi::QtUi() : images_(std::make_unique<Images>()), fonts_(std::make_unique<Fonts>()) {
  static char name[] = "sonvale";
  static char platform_option[] = "-platform";
  argv_[0] = name;
  argv_[1] = nullptr;
  platforms_ = preferred_qt_platforms(DisplayEnvironment::current());
  if (!platforms_.empty()) {
    argv_[argc_++] = platform_option;
    argv_[argc_++] = platforms_.data();
    argv_[argc_] = nullptr;
  }
  app_ = std::make_unique<Application>(argc_, argv_, *this);
  if (const std::string lost = platform_shortcomings(QGuiApplication::platformName().toStdString()); !lost.empty())
    std::cerr << "sonvale: " << lost << "\n";
  app_->setQuitOnLastWindowClosed(false);
  filter_ = std::make_unique<EventFilter>(*this);
  app_->installEventFilter(filter_.get());
}

QtUi::~QtUi() {
  app_->removeEventFilter(filter_.get());
  filter_->closing_ = true;
  gadgets_.clear();
  shortcuts_.clear();
  // Owned windows go with their owner; delete only the top of each family.
  std::vector<QWidget*> tops;
  for (auto& [number, widget] : windows_)
    if (widget->parentWidget() == nullptr) tops.push_back(widget);
  windows_.clear();
  for (QWidget* widget : tops) delete widget;
}

void QtUi::set_desktop_entry(std::string_view id) {
  on_ui_thread([&] { QGuiApplication::setDesktopFileName(to_qstring(id)); });
}

void QtUi::queue(std::function<void()> task) const {
  std::lock_guard lock(queue_lock_);
  QMetaObject::invokeMethod(
      app_.get(),
      [this, task = std::move(task)] {
        { std::lock_guard taken(queue_lock_); }
        task();
      },
      Qt::QueuedConnection);
}

void QtUi::on_ui_thread(const std::function<void()>& work) const {
  if (QThread::currentThread() == app_->thread()) {
    work();
    return;
  }
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  queue([&] {
    work();
    // Notified under the lock, so the waiter cannot leave while it is touched.
    std::lock_guard lock(mutex);
    done = true;
    finished.notify_one();
  });
  std::unique_lock lock(mutex);
  finished.wait(lock, [&] { return done; });
}

QWidget* QtUi::window_widget(int window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second;
}

int QtUi::window_number_of(const QWidget* widget) const {
  for (const auto& [number, w] : windows_)
    if (w == widget) return number;
  return -1;
}

int QtUi::gadget_number_of(const QWidget* widget) const {
  for (; widget != nullptr && !widget->isWindow(); widget = widget->parentWidget())
    for (const auto& [number, g] : gadgets_)
      if (g->widget == widget) return number;
  return -1;
}

void QtUi::enqueue(Event event) {
  events_.push_back(std::move(event));
  if (waiting_ != nullptr) waiting_->quit();
}

void QtUi::note_press(QWidget* receiver, int button, Point global) {
  const int window = window_number_of(receiver->window());
  if (window < 0) return;
  const int gadget = gadget_number_of(receiver);
  if (button == Qt::LeftButton)
    enqueue(Event(EventKind::LeftButtonDown, window, gadget, global));
  else if (button == Qt::RightButton)
    enqueue(Event(EventKind::RightButtonDown, window, gadget, global));
}

bool QtUi::open_window(int window, Rect client, std::string_view title, unsigned flags,
                       int owner) {
  bool opened = false;
  on_ui_thread([&] {
    if (window_widget(window) != nullptr) close_window(window);
    Qt::WindowFlags kind = Qt::Window;
    if (flags & kWindowTool) kind = Qt::Tool;
    if (flags & kWindowBorderless) {
      kind |= Qt::FramelessWindowHint;
    } else {
      kind |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint;
      if (flags & kWindowTitleBar) kind |= Qt::WindowSystemMenuHint;
      if (!(flags & kWindowNoCloseBox)) kind |= Qt::WindowCloseButtonHint;
    }
    auto* w = new QWidget(window_widget(owner), kind);
    w->setWindowTitle(to_qstring(title));
    w->setFixedSize(client.w, client.h);
    if (flags & kWindowCentred) {
      const QRect screen = app_->primaryScreen()->availableGeometry();
      client.x = screen.x() + (screen.width() - client.w) / 2;
      client.y = screen.y() + (screen.height() - client.h) / 2;
    }
    w->setGeometry(client.x, client.y, client.w, client.h);
    windows_[window] = w;
    if (!(flags & kWindowInvisible)) w->show();
    opened = true;
  });
  return opened;
}

void QtUi::close_window(int window) {
  on_ui_thread([&] {
    QWidget* w = window_widget(window);
    if (w == nullptr) return;
    // Windows it owns go with it.
    const auto owned = [w](const QWidget* other) {
      for (; other != nullptr; other = other->parentWidget())
        if (other == w) return true;
      return false;
    };
    std::erase_if(windows_, [&](const auto& entry) { return owned(entry.second); });
    const auto gone = [this](int number) { return window_widget(number) == nullptr; };
    std::erase_if(gadgets_, [&](const auto& g) { return gone(g.second->window); });
    std::erase_if(shortcuts_, [&](const auto& s) { return gone(s.first); });
    filter_->closing_ = true;
    delete w;
    filter_->closing_ = false;
  });
}

bool QtUi::window_exists(int window) const {
  bool exists = false;
  on_ui_thread([&] { exists = window_widget(window) != nullptr; });
  return exists;
}

std::string QtUi::window_title(int window) const {
  std::string title;
  on_ui_thread([&] {
    if (QWidget* w = window_widget(window)) title = w->windowTitle().toStdString();
  });
  return title;
}

void QtUi::show_window(int window, ShowCommand command) {
  on_ui_thread([&] {
    QWidget* w = window_widget(window);
    if (w == nullptr) return;
    switch (command) {
      case ShowCommand::Hide: w->hide(); break;
      case ShowCommand::Show: w->show(); break;
      case ShowCommand::Maximize: w->showMaximized(); break;
      case ShowCommand::Restore: w->showNormal(); break;
    }
  });
}

bool QtUi::is_window_visible(int window) const {
  bool visible = false;
  on_ui_thread([&] {
    if (QWidget* w = window_widget(window)) visible = w->isVisible();
  });
  return visible;
}

bool QtUi::is_window_maximized(int window) const {
  bool maximized = false;
  on_ui_thread([&] {
    if (QWidget* w = window_widget(window)) maximized = w->isMaximized();
  });
  return maximized;
}

void QtUi::set_foreground_window(int window) {
  on_ui_thread([&] {
    if (QWidget* w = window_widget(window)) {
      w->raise();
      w->activateWindow();
    }
  });
}

int QtUi::foreground_window() const {
  int number = -1;
  on_ui_thread([&] { number = window_number_of(QApplication::activeWindow()); });
  return number;
}

void QtUi::enable_window(int window, bool enabled) {
  on_ui_thread([&] {
    if (QWidget* w = window_widget(window)) w->setEnabled(enabled);
  });
}

bool QtUi::is_window_enabled(int window) const {
  bool enabled = false;
  on_ui_thread([&] {
    if (QWidget* w = window_widget(window)) enabled = w->isEnabled();
  });
  return enabled;
}

Rect QtUi::window_rect(int window) const {
  Rect r;
  on_ui_thread([&] {
    if (QWidget* w = window_widget(window)) r = to_rect(w->geometry());
  });
  return r;
}

Rect QtUi::window_outer_rect(int window) const {
  Rect r;
  on_ui_thread([&] {
    if (QWidget* w = window_widget(window)) r = to_rect(w->frameGeometry());
  });
  return r;
}

void QtUi::move_window(int window, int x, int y) {
  on_ui_thread([&] {
    if (QWidget* w = window_widget(window)) w->setGeometry(x, y, w->width(), w->height());
  });
}

void QtUi::set_window_colour(int window, Colour back) {
  on_ui_thread([&] {
    if (QWidget* w = window_widget(window)) {
      w->setAutoFillBackground(true);
      QPalette palette = w->palette();
      palette.setColor(QPalette::Window, to_qcolor(back));
      w->setPalette(palette);
    }
  });
}

void QtUi::resize_window(int window, int w, int h) {
  on_ui_thread([&] {
    if (QWidget* widget = window_widget(window)) widget->setFixedSize(w, h);
  });
}

void QtUi::set_window_topmost(int window, bool topmost) {
  on_ui_thread([&] {
    QWidget* w = window_widget(window);
    if (w == nullptr || w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost) return;
    const bool visible = w->isVisible();
    w->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);  // hides the window
    if (visible) w->show();
  });
}

bool QtUi::is_window_topmost(int window) const {
  bool topmost = false;
  on_ui_thread([&] {
    if (QWidget* w = window_widget(window)) topmost = w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
  });
  return topmost;
}

void QtUi::accept_drops(int window, bool accept) {
  on_ui_thread([&] {
    if (QWidget* w = window_widget(window)) w->setAcceptDrops(accept);
  });
}

void QtUi::add_shortcut(int window, int key, int id) {
  on_ui_thread([&] {
    QWidget* w = window_widget(window);
    if (w == nullptr) return;
    auto* shortcut = new QShortcut(QKeySequence(key), w);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, w, [this, window, id] {
      Event e(EventKind::Shortcut, window);
      e.shortcut = id;
      enqueue(std::move(e));
    });
    shortcuts_[window].push_back(shortcut);
  });
}

void QtUi::remove_shortcuts(int window) {
  on_ui_thread([&] {
    auto it = shortcuts_.find(window);
    if (it == shortcuts_.end()) return;
    for (QShortcut* shortcut : it->second) delete shortcut;
    shortcuts_.erase(it);
  });
}

Event QtUi::wait_event(int timeout_ms) {
  if (events_.empty()) {
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (timeout_ms >= 0) timer.start(timeout_ms);
    waiting_ = &loop;
    loop.exec();
    waiting_ = nullptr;
  }
  if (events_.empty()) return Event{};
  Event e = std::move(events_.front());
  events_.pop_front();
  return e;
}

void QtUi::post(std::function<void()> task) { queue(std::move(task)); }

void QtUi::inject(Event event) {
  if (QThread::currentThread() == app_->thread())
    enqueue(std::move(event));
  else
    queue([this, event = std::move(event)] { enqueue(event); });
}

Point QtUi::cursor_position() const {
  Point p;
  on_ui_thread([&] {
    const QPoint q = QCursor::pos();
    p = Point{q.x(), q.y()};
  });
  return p;
}

Rect QtUi::desktop_rect() const {
  Rect r;
  on_ui_thread([&] { r = to_rect(app_->primaryScreen()->availableGeometry()); });
  return r;
}

int QtUi::message_box(std::string_view title, std::string_view text, unsigned flags) {
  int answer = 0;
  on_ui_thread([&] {
    QWidget* owner = window_number_of(QApplication::activeWindow()) >= 0
                         ? QApplication::activeWindow()
                         : nullptr;
    QString shown = to_qstring(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box((flags & kIconError) ? QMessageBox::Critical : QMessageBox::NoIcon,
                    to_qstring(title), shown, QMessageBox::Ok, owner);
    if (flags & kSystemModal) box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    answer = 1;
  });
  return answer;
}

std::vector<std::string> QtUi::open_files_dialog(std::string_view title,
                                                 std::string_view default_name,
                                                 std::string_view filter) {
  std::vector<std::string> paths;
  on_ui_thread([&] {
    QWidget* owner = window_number_of(QApplication::activeWindow()) >= 0
                         ? QApplication::activeWindow()
                         : nullptr;
    QFileDialog dialog(owner, to_qstring(title));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilter(name_filter(filter));
    // A wildcard name only repeats the filter; a plain name is offered as the choice.
    if (default_name.find_first_of("*?") == std::string_view::npos)
      dialog.selectFile(to_qstring(default_name));
    if (dialog.exec() != QDialog::Accepted) return;
    for (const QString& file : dialog.selectedFiles())
      paths.push_back(QFile::encodeName(file).toStdString());
  });
  return paths;
}

bool QtUi::open_url(std::string_view url) {
  bool opened = false;
  on_ui_thread([&] { opened = QDesktopServices::openUrl(QUrl(to_qstring(url))); });
  return opened;
}

}  // namespace sonvale::platform
