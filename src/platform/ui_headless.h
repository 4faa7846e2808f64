#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <ostream>
#include <vector>

#include "platform/ui.h"

namespace sonvale::platform {

struct RecordedMessageBox {
  std::string title;
  std::string text;
  unsigned flags = 0;
};

struct RecordedFileDialog {
  std::string title;
  std::string default_name;
  std::string filter;
};

// Windows and gadgets kept in memory. Events are injected by code; message boxes are
// recorded, printed, and answered at once. Drives the player from tests and from the
// terminal modes.
class HeadlessUi final : public Ui {
 public:
  // Message boxes are printed to `messages`, or nowhere when it is null.
  explicit HeadlessUi(std::ostream* messages = nullptr);

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

  // Driving it.
  void inject(Event event);
  void set_cursor(Point p);
  // Puts the pointer on the gadget's centre and injects a left-button press there.
  void click_gadget(int gadget);
  void set_desktop(Rect desktop);
  std::vector<RecordedMessageBox> message_boxes() const;
  // The paths the next open-file dialog answers with; none means cancelled.
  void answer_file_dialog(std::vector<std::string> paths);
  std::vector<RecordedFileDialog> file_dialogs() const;

 private:
  struct Window {
    Rect client;
    std::string title;
    unsigned flags = 0;
    int owner = -1;
    bool visible = false;
    bool maximized = false;
    bool enabled = true;
    Colour back = 0;
  };
  struct ListItem {
    std::string text;
    bool selected = false;
  };
  struct Gadget {
    int window = -1;
    GadgetKind kind = GadgetKind::Text;
    Rect rect;
    std::string text;
    Colour text_colour = 0;
    Colour back_colour = 0xFFFFFF;
    bool hidden = false;
    bool disabled = false;
    std::vector<ListItem> items;
  };

  const Window* find_window(int window) const;
  const Gadget* find_gadget(int gadget) const;
  Gadget* find_gadget(int gadget);
  const ListItem* find_item(int gadget, int index) const;
  Rect outer_rect_locked(const Window& w) const;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::map<int, Window> windows_;
  std::map<int, Gadget> gadgets_;
  std::deque<Event> events_;
  std::deque<std::function<void()>> tasks_;
  std::vector<RecordedMessageBox> boxes_;
  std::vector<RecordedFileDialog> dialogs_;
  std::vector<std::string> dialog_answer_;
  std::ostream* messages_;
  Point cursor_;
  Rect desktop_{0, 0, 1920, 1080};
  int foreground_ = -1;
};

}  // namespace sonvale::platform
