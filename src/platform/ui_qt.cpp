#include "platform/ui_qt.h"

#include <QtCore/QEventLoop>
#include <QtCore/QThread>
#include <QtCore/QTimer>
#include <QtGui/QCloseEvent>
#include <QtGui/QCursor>
#include <QtGui/QMouseEvent>
#include <QtGui/QScreen>
#include <QtCore/QFile>
#include <QtWidgets/QApplication>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QWidget>

#include <condition_variable>
#include <cstdlib>

namespace sonvale::platform {
namespace {

QString to_qstring(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString css_colour(Colour c) {
  return QStringLiteral("#%1%2%3")
      .arg(red_of(c), 2, 16, QLatin1Char('0'))
      .arg(green_of(c), 2, 16, QLatin1Char('0'))
      .arg(blue_of(c), 2, 16, QLatin1Char('0'));
}

Rect to_rect(const QRect& r) { return Rect{r.x(), r.y(), r.width(), r.height()}; }

// List items keep the caller's bytes beside the shown text, so that a text which is
// not valid UTF-8 reads back exactly as it was given.
constexpr int kItemBytesRole = Qt::UserRole;

// "*.WAV;*.MP3" becomes the Qt filter "*.WAV;*.MP3 (*.WAV *.MP3)": the pattern list is
// its own description.
QString name_filter(std::string_view patterns) {
  QString list = to_qstring(patterns);
  list.replace(QLatin1Char(';'), QLatin1Char(' '));
  return to_qstring(patterns) + QStringLiteral(" (") + list + QLatin1Char(')');
}

}  // namespace

struct QtUi::Gadget {
  int window = -1;
  GadgetKind kind = GadgetKind::Text;
  QWidget* widget = nullptr;  // owned by its window
  Rect rect;
  Colour text_colour = 0;
  Colour back_colour = 0xFFFFFF;
};

// Turns the raw button presses, close requests and moves of our windows into
// events for wait_event().
class QtUi::EventFilter final : public QObject {
 public:
  explicit EventFilter(QtUi& ui) : ui_(ui) {}

  bool eventFilter(QObject* object, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) return false;
    switch (event->type()) {
      case QEvent::MouseButtonPress: {
        auto* press = static_cast<QMouseEvent*>(event);
        // A press that a child ignores travels on to its parents; count it once.
        if (press->timestamp() == last_press_time_ && press->button() == last_button_) return false;
        last_press_time_ = press->timestamp();
        last_button_ = press->button();
        const int window = ui_.window_number_of(widget->window());
        if (window < 0) return false;
        const QPoint global = press->globalPosition().toPoint();
        if (press->button() == Qt::LeftButton)
          ui_.enqueue(Event(EventKind::LeftButtonDown, window, -1, {global.x(), global.y()}));
        else if (press->button() == Qt::RightButton)
          ui_.enqueue(Event(EventKind::RightButtonDown, window, -1, {global.x(), global.y()}));
        return false;
      }
      case QEvent::Close: {
        if (!widget->isWindow()) return false;
        const int window = ui_.window_number_of(widget);
        if (window < 0 || closing_) return false;
        // The program decides whether a close request closes anything.
        event->ignore();
        ui_.enqueue(Event(EventKind::CloseWindow, window));
        return true;
      }
      case QEvent::Move: {
        if (!widget->isWindow()) return false;
        const int window = ui_.window_number_of(widget);
        if (window >= 0) ui_.enqueue(Event(EventKind::WindowMoved, window));
        return false;
      }
      default:
        return false;
    }
  }

  bool closing_ = false;  // set while the program itself closes a window

 private:
  QtUi& ui_;
  quint64 last_press_time_ = 0;
  Qt::MouseButton last_button_ = Qt::NoButton;
};

bool QtUi::display_available() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

QtUi::QtUi() {
  static char name[] = "sonvale";
  argv_[0] = name;
  argv_[1] = nullptr;
  app_ = std::make_unique<QApplication>(argc_, argv_);
  app_->setQuitOnLastWindowClosed(false);
  filter_ = std::make_unique<EventFilter>(*this);
  app_->installEventFilter(filter_.get());
}

QtUi::~QtUi() {
  app_->removeEventFilter(filter_.get());
  filter_->closing_ = true;
  for (auto& [number, widget] : windows_) delete widget;
  windows_.clear();
  gadgets_.clear();
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

const QtUi::Gadget* QtUi::find_gadget(int gadget) const {
  auto it = gadgets_.find(gadget);
  return it == gadgets_.end() ? nullptr : it->second.get();
}

QListWidget* QtUi::find_list(int gadget) const {
  const Gadget* g = find_gadget(gadget);
  return g ? qobject_cast<QListWidget*>(g->widget) : nullptr;
}

int QtUi::window_number_of(const QWidget* widget) const {
  for (const auto& [number, w] : windows_)
    if (w == widget) return number;
  return -1;
}

void QtUi::enqueue(Event event) {
  events_.push_back(std::move(event));
  if (waiting_ != nullptr) waiting_->quit();
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
    w->move(client.x, client.y);
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
    std::erase_if(gadgets_, [window](const auto& g) { return g.second->window == window; });
    windows_.erase(window);
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
    if (QWidget* w = window_widget(window)) w->move(x, y);
  });
}

void QtUi::set_window_colour(int window, Colour back) {
  on_ui_thread([&] {
    if (QWidget* w = window_widget(window)) {
      w->setAutoFillBackground(true);
      QPalette palette = w->palette();
      palette.setColor(QPalette::Window, QColor(red_of(back), green_of(back), blue_of(back)));
      w->setPalette(palette);
    }
  });
}

bool QtUi::create_gadget(int window, int gadget, GadgetKind kind, Rect rect,
                         std::string_view text) {
  bool created = false;
  on_ui_thread([&] {
    QWidget* parent = window_widget(window);
    if (parent == nullptr) return;
    QWidget* widget = nullptr;
    switch (kind) {
      case GadgetKind::Text: {
        auto* label = new QLabel(to_qstring(text), parent);
        label->setAlignment(Qt::AlignCenter);
        widget = label;
        break;
      }
      case GadgetKind::Button:
        widget = new QPushButton(to_qstring(text), parent);
        break;
      case GadgetKind::List: {
        auto* list = new QListWidget(parent);
        list->setSelectionMode(QAbstractItemView::MultiSelection);
        widget = list;
        break;
      }
      default:
        return;  // the other kinds arrive with the windows that use them
    }
    widget->setGeometry(rect.x, rect.y, rect.w, rect.h);
    widget->show();
    auto g = std::make_unique<Gadget>();
    g->window = window;
    g->kind = kind;
    g->widget = widget;
    g->rect = rect;
    gadgets_[gadget] = std::move(g);
    created = true;
  });
  return created;
}

bool QtUi::gadget_exists(int gadget) const {
  bool exists = false;
  on_ui_thread([&] { exists = find_gadget(gadget) != nullptr; });
  return exists;
}

GadgetKind QtUi::gadget_kind(int gadget) const {
  GadgetKind kind = GadgetKind::Text;
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) kind = g->kind;
  });
  return kind;
}

Rect QtUi::gadget_rect(int gadget) const {
  Rect r;
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) r = g->rect;
  });
  return r;
}

Rect QtUi::gadget_screen_rect(int gadget) const {
  Rect r;
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) {
      const QPoint origin = g->widget->mapToGlobal(QPoint(0, 0));
      r = Rect{origin.x(), origin.y(), g->rect.w, g->rect.h};
    }
  });
  return r;
}

void QtUi::set_gadget_text(int gadget, std::string_view text) {
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    if (g == nullptr) return;
    if (auto* label = qobject_cast<QLabel*>(g->widget)) label->setText(to_qstring(text));
    if (auto* button = qobject_cast<QPushButton*>(g->widget)) button->setText(to_qstring(text));
  });
}

std::string QtUi::gadget_text(int gadget) const {
  std::string text;
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    if (g == nullptr) return;
    if (auto* label = qobject_cast<QLabel*>(g->widget)) text = label->text().toStdString();
    if (auto* button = qobject_cast<QPushButton*>(g->widget)) text = button->text().toStdString();
  });
  return text;
}

void QtUi::apply_gadget_style(int gadget) {
  const Gadget* g = find_gadget(gadget);
  if (g == nullptr) return;
  g->widget->setStyleSheet(QStringLiteral("color: %1; background-color: %2;")
                               .arg(css_colour(g->text_colour), css_colour(g->back_colour)));
}

void QtUi::set_gadget_text_colour(int gadget, Colour colour) {
  on_ui_thread([&] {
    auto it = gadgets_.find(gadget);
    if (it == gadgets_.end()) return;
    it->second->text_colour = colour;
    apply_gadget_style(gadget);
  });
}

Colour QtUi::gadget_text_colour(int gadget) const {
  Colour c = 0;
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) c = g->text_colour;
  });
  return c;
}

void QtUi::set_gadget_back_colour(int gadget, Colour colour) {
  on_ui_thread([&] {
    auto it = gadgets_.find(gadget);
    if (it == gadgets_.end()) return;
    it->second->back_colour = colour;
    apply_gadget_style(gadget);
  });
}

Colour QtUi::gadget_back_colour(int gadget) const {
  Colour c = 0;
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) c = g->back_colour;
  });
  return c;
}

void QtUi::hide_gadget(int gadget, bool hidden) {
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) g->widget->setHidden(hidden);
  });
}

bool QtUi::is_gadget_hidden(int gadget) const {
  bool hidden = false;
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) hidden = g->widget->isHidden();
  });
  return hidden;
}

void QtUi::disable_gadget(int gadget, bool disabled) {
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) g->widget->setDisabled(disabled);
  });
}

bool QtUi::is_gadget_disabled(int gadget) const {
  bool disabled = false;
  on_ui_thread([&] {
    if (const Gadget* g = find_gadget(gadget)) disabled = !g->widget->isEnabled();
  });
  return disabled;
}

void QtUi::add_list_item(int gadget, std::string_view text) {
  on_ui_thread([&] {
    QListWidget* list = find_list(gadget);
    if (list == nullptr) return;
    auto* item = new QListWidgetItem(to_qstring(text), list);
    item->setData(kItemBytesRole, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  });
}

void QtUi::remove_list_item(int gadget, int index) {
  on_ui_thread([&] {
    QListWidget* list = find_list(gadget);
    if (list != nullptr && index >= 0 && index < list->count()) delete list->takeItem(index);
  });
}

void QtUi::clear_list(int gadget) {
  on_ui_thread([&] {
    if (QListWidget* list = find_list(gadget)) list->clear();
  });
}

int QtUi::list_item_count(int gadget) const {
  int count = 0;
  on_ui_thread([&] {
    if (QListWidget* list = find_list(gadget)) count = list->count();
  });
  return count;
}

std::string QtUi::list_item_text(int gadget, int index) const {
  std::string text;
  on_ui_thread([&] {
    QListWidget* list = find_list(gadget);
    if (list == nullptr || index < 0 || index >= list->count()) return;
    text = list->item(index)->data(kItemBytesRole).toByteArray().toStdString();
  });
  return text;
}

int QtUi::selected_list_item(int gadget) const {
  int selected = -1;
  on_ui_thread([&] {
    QListWidget* list = find_list(gadget);
    if (list == nullptr) return;
    for (int i = 0; i < list->count() && selected < 0; ++i)
      if (list->item(i)->isSelected()) selected = i;
  });
  return selected;
}

bool QtUi::is_list_item_selected(int gadget, int index) const {
  bool selected = false;
  on_ui_thread([&] {
    QListWidget* list = find_list(gadget);
    if (list != nullptr && index >= 0 && index < list->count())
      selected = list->item(index)->isSelected();
  });
  return selected;
}

void QtUi::select_list_item(int gadget, int index, bool selected) {
  on_ui_thread([&] {
    QListWidget* list = find_list(gadget);
    if (list != nullptr && index >= 0 && index < list->count())
      list->item(index)->setSelected(selected);
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
    QMessageBox box((flags & kIconError) ? QMessageBox::Critical : QMessageBox::NoIcon,
                    to_qstring(title), to_qstring(text), QMessageBox::Ok, owner);
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

}  // namespace sonvale::platform
