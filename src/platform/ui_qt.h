#pragma once

#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "platform/ui.h"

class QApplication;
class QEventLoop;
class QListWidget;
class QWidget;

namespace sonvale::platform {

// Real windows through Qt Widgets. Qt is touched on the thread that created this
// backend only; calls from other threads are carried over to it and wait there.
class QtUi final : public Ui {
 public:
  QtUi();
  ~QtUi() override;

  // True when a display (or Qt's offscreen platform) is there to draw on.
  static bool display_available();

  bool open_window(int window, Rect client, std::string_view title, unsigned flags,
                   int owner = -1) override;
  void close_window(int window) override;
  bool window_exists(int window) const override;
  std::string window_title(int window) const override;
  void show_window(int window, ShowCommand command) override;
  bool is_window_visible(int window) const override;
  bool is_window_maximized(int window) const override;
  void set_foreground_window(int window) override;
  int foreground_window() const override;
  void enable_window(int window, bool enabled) override;
  bool is_window_enabled(int window) const override;
  Rect window_rect(int window) const override;
  Rect window_outer_rect(int window) const override;
  void move_window(int window, int x, int y) override;
  void set_window_colour(int window, Colour back) override;

  bool create_gadget(int window, int gadget, GadgetKind kind, Rect rect,
                     std::string_view text) override;
  bool gadget_exists(int gadget) const override;
  GadgetKind gadget_kind(int gadget) const override;
  Rect gadget_rect(int gadget) const override;
  Rect gadget_screen_rect(int gadget) const override;
  void set_gadget_text(int gadget, std::string_view text) override;
  std::string gadget_text(int gadget) const override;
  void set_gadget_text_colour(int gadget, Colour colour) override;
  Colour gadget_text_colour(int gadget) const override;
  void set_gadget_back_colour(int gadget, Colour colour) override;
  Colour gadget_back_colour(int gadget) const override;
  void hide_gadget(int gadget, bool hidden) override;
  bool is_gadget_hidden(int gadget) const override;
  void disable_gadget(int gadget, bool disabled) override;
  bool is_gadget_disabled(int gadget) const override;

  void add_list_item(int gadget, std::string_view text) override;
  void remove_list_item(int gadget, int index) override;
  void clear_list(int gadget) override;
  int list_item_count(int gadget) const override;
  std::string list_item_text(int gadget, int index) const override;
  int selected_list_item(int gadget) const override;
  bool is_list_item_selected(int gadget, int index) const override;
  void select_list_item(int gadget, int index, bool selected) override;

  Event wait_event(int timeout_ms) override;
  void post(std::function<void()> task) override;
  Point cursor_position() const override;
  Rect desktop_rect() const override;
  int message_box(std::string_view title, std::string_view text, unsigned flags) override;
  std::vector<std::string> open_files_dialog(std::string_view title, std::string_view default_name,
                                             std::string_view filter) override;

 private:
  class EventFilter;
  struct Gadget;

  // Runs `work` on the user-interface thread and waits for it.
  void on_ui_thread(const std::function<void()>& work) const;
  // Queues a task for the user-interface thread.
  void queue(std::function<void()> task) const;
  QWidget* window_widget(int window) const;
  const Gadget* find_gadget(int gadget) const;
  QListWidget* find_list(int gadget) const;
  int window_number_of(const QWidget* widget) const;
  void enqueue(Event event);
  void apply_gadget_style(int gadget);

  int argc_ = 1;
  char* argv_[2];
  std::unique_ptr<QApplication> app_;
  std::unique_ptr<EventFilter> filter_;
  std::map<int, QWidget*> windows_;
  std::map<int, std::unique_ptr<Gadget>> gadgets_;
  std::deque<Event> events_;
  QEventLoop* waiting_ = nullptr;
  // Held while a task is queued and taken again when it runs: Qt's own queue is
  // invisible to ThreadSanitizer, this makes the hand-over between threads visible.
  mutable std::mutex queue_lock_;
};

}  // namespace sonvale::platform
