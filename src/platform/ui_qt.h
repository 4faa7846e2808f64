#pragma once

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui.h"

class QEventLoop;
class QListWidget;
class QShortcut;
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

  // Takes this density instead of the screen's (0: the screen's again), for fonts
  // loaded from then on.
  void override_screen_dpi(int dpi);
  // Answers has_face() as if only these faces were installed; nothing: the machine's
  // own faces again.
  void override_installed_faces(std::optional<std::vector<std::string>> faces);

  // Names the program's desktop entry (its file name without ".desktop"), so that
  // the desktop shows our windows with the entry's name and icon.
  void set_desktop_entry(std::string_view id);

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
  void resize_window(int window, int w, int h) override;
  void set_window_topmost(int window, bool topmost) override;
  bool is_window_topmost(int window) const override;
  void accept_drops(int window, bool accept) override;
  void add_shortcut(int window, int key, int id) override;
  void remove_shortcuts(int window) override;
  void cut_window_to_image(int window, int image) override;

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
  void set_gadget_state(int gadget, int state) override;
  int gadget_state(int gadget) const override;
  void set_bar_range(int gadget, int minimum, int maximum) override;
  void set_gadget_image(int gadget, int image) override;
  int gadget_image(int gadget) const override;

  bool load_font(int font, std::string_view face, int points) override;
  void free_font(int font) override;
  std::optional<FontInfo> font_info(int font) const override;
  void set_default_font(int font) override;
  void set_gadget_font(int gadget, int font) override;
  int gadget_font(int gadget) const override;
  std::string default_gui_face() const override;
  bool has_face(std::string_view face) const override;
  int screen_dpi() const override;

  bool load_image(int image, const RgbImage& pixels) override;
  bool create_image(int image, int width, int height) override;
  bool image_exists(int image) const override;
  Rect image_rect(int image) const override;
  void draw_image(int target, int source, int x, int y) override;
  void draw_text(int image, int x, int y, std::string_view text, int font, Colour text_colour,
                 Colour back_colour) override;
  void fill_image_rect(int image, Rect rect, Colour colour) override;

  void add_list_item(int gadget, std::string_view text) override;
  void remove_list_item(int gadget, int index) override;
  void clear_list(int gadget) override;
  int list_item_count(int gadget) const override;
  std::string list_item_text(int gadget, int index) const override;
  int selected_list_item(int gadget) const override;
  bool is_list_item_selected(int gadget, int index) const override;
  void select_list_item(int gadget, int index, bool selected) override;

  std::string folder_tree_item_at(int gadget, Point screen) const override;
  Rect folder_tree_item_rect(int gadget, std::string_view path) const override;
  void select_folder_tree_item(int gadget, std::string_view path) override;
  bool is_folder_tree_item_checked(int gadget, std::string_view path) const override;
  void add_folder_tree_entry(int gadget, std::string_view label, std::string_view path) override;

  Event wait_event(int timeout_ms) override;
  void post(std::function<void()> task) override;
  void inject(Event event) override;
  Point cursor_position() const override;
  Rect desktop_rect() const override;
  int message_box(std::string_view title, std::string_view text, unsigned flags) override;
  std::vector<std::string> open_files_dialog(std::string_view title, std::string_view default_name,
                                             std::string_view filter) override;
  bool open_url(std::string_view url) override;

 private:
  class Application;
  class EventFilter;
  struct Gadget;
  struct Images;
  struct Fonts;

  // Runs `work` on the user-interface thread and waits for it.
  void on_ui_thread(const std::function<void()>& work) const;
  // Queues a task for the user-interface thread.
  void queue(std::function<void()> task) const;
  QWidget* window_widget(int window) const;
  Gadget* find_gadget(int gadget) const;
  QListWidget* find_list(int gadget) const;
  int window_number_of(const QWidget* widget) const;
  // The gadget a widget belongs to (its own or an ancestor's number), -1 for none.
  int gadget_number_of(const QWidget* widget) const;
  void enqueue(Event event);
  void note_press(QWidget* receiver, int button, Point global);
  void apply_colours(const Gadget& g);
  void refresh_pictures(int image);
  QWidget* make_widget(int window, int gadget, GadgetKind kind, QWidget* parent,
                       std::string_view text);

  int argc_ = 1;
  char* argv_[4];
  std::string platforms_;  // the plugins asked for, kept for as long as Qt reads argv_
  std::unique_ptr<Application> app_;
  std::unique_ptr<EventFilter> filter_;
  std::map<int, QWidget*> windows_;
  std::map<int, std::unique_ptr<Gadget>> gadgets_;
  std::map<int, std::vector<QShortcut*>> shortcuts_;  // owned by their window
  std::unique_ptr<Images> images_;
  std::unique_ptr<Fonts> fonts_;
  int dpi_override_ = 0;
  std::optional<std::vector<std::string>> faces_override_;
  std::deque<Event> events_;
  QEventLoop* waiting_ = nullptr;
  // Held while a task is queued and taken again when it runs: Qt's own queue is
  // invisible to ThreadSanitizer, this makes the hand-over between threads visible.
  mutable std::mutex queue_lock_;
};

}  // namespace sonvale::platform
