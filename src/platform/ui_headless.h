#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <variant>
#include <vector>

#include "platform/folder_tree_model.h"
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

// One drawing operation on an image, as recorded.
struct ImageOp {
  enum class Kind { Fill, Image, Text };
  Kind kind = Kind::Fill;
  Rect rect;          // Fill: the rectangle; Image: where the source went; Text: x, y only
  Colour colour = 0;  // Fill: the colour; Text: the text colour
  Colour back = 0;    // Text: the back colour
  int source = -1;    // Image: the image drawn
  int font = -1;      // Text: the font
  std::string text;
};

struct Shortcut {
  int key = 0;
  int id = 0;
};

// Windows and gadgets kept in memory. Events are injected by code; message boxes are
// recorded, printed, and answered at once. Drives the player from tests and from the
// terminal modes.
class HeadlessUi final : public Ui {
 public:
  // Message boxes are printed to `messages`, or nowhere when it is null.
  explicit HeadlessUi(std::ostream* messages = nullptr);

  // Words printed after a message box's text when `note` gives any, to say what a
  // short text means. Called on the thread that shows the box, under the lock of
  // this object: it must not call back into it.
  using MessageNote = std::function<std::string(std::string_view title, std::string_view text)>;
  void set_message_note(MessageNote note);

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
  Point cursor_position() const override;
  Rect desktop_rect() const override;
  int message_box(std::string_view title, std::string_view text, unsigned flags) override;
  std::vector<std::string> open_files_dialog(std::string_view title, std::string_view default_name,
                                             std::string_view filter) override;
  bool open_url(std::string_view url) override;

  void inject(Event event) override;

  // Driving it.
  // Injected events and posted tasks not yet taken by wait_event().
  std::size_t queued() const;
  void set_cursor(Point p);
  // Puts the pointer on the gadget's centre and injects a left-button press there.
  void click_gadget(int gadget);
  // A user's click on a button, option, image button, or on a combo's item: the
  // press, the gadget's new state, then its Gadget event.
  void press_button(int gadget);
  void choose_combo_item(int gadget, int index);
  // A user's left click on a folder tree item, on its check box (which flips it) or on
  // its name; and the space bar on the selected item (which flips its check box).
  void click_folder_tree_item(int gadget, std::string_view path, bool on_check_box);
  void press_space_in_folder_tree(int gadget);
  void expand_folder_tree_item(int gadget, std::string_view path);
  // The folder tree's item at a row counted from the tree's top row, and what an
  // item shows (its folder's name, or an entry's label); empty where there is none.
  std::string folder_tree_item_at_row(int gadget, int row) const;
  std::string folder_tree_item_label(int gadget, std::string_view path) const;
  void set_desktop(Rect desktop);
  void set_screen_dpi(int dpi);
  void set_gui_face(std::string face);
  // The faces has_face() knows; none at first.
  void set_installed_faces(std::vector<std::string> faces);
  std::vector<ImageOp> image_ops(int image) const;
  unsigned window_flags(int window) const;
  int window_owner(int window) const;
  Colour window_colour(int window) const;
  // Gadget numbers in the order they were created, since the backend was made.
  std::vector<int> creation_order() const;
  int window_cut_image(int window) const;  // -1 when not cut
  std::vector<Shortcut> shortcuts(int window) const;
  bool accepts_drops(int window) const;
  std::vector<std::string> opened_urls() const;
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
    bool topmost = false;
    bool drops = false;
    int cut_image = -1;
    Colour back = 0;
    std::vector<Shortcut> shortcuts;
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
    int font = -1;
    int state = 0;
    int minimum = 0;
    int maximum = 100;
    int image = -1;
    std::vector<ListItem> items;
    std::shared_ptr<FolderTreeModel> tree;  // folder trees only
  };
  struct Image {
    int width = 0;
    int height = 0;
    std::vector<ImageOp> ops;
  };

  // Rows of a headless folder tree are this high, the start folder's row at the top.
  static constexpr int kTreeRowHeight = 20;

  const Window* find_window(int window) const;
  const Gadget* find_gadget(int gadget) const;
  Gadget* find_gadget(int gadget);
  const ListItem* find_item(int gadget, int index) const;
  Rect outer_rect_locked(const Window& w) const;
  Rect gadget_screen_rect_locked(const Gadget& g) const;
  int window_of_locked(int gadget) const;
  int window_of(int gadget) const;
  void record_op(int image, ImageOp op);
  FolderTreeModel* find_tree(int gadget) const;
  Rect tree_row_rect_locked(const Gadget& g, int row) const;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::map<int, Window> windows_;
  std::map<int, Gadget> gadgets_;
  // Injected events and posted tasks, in the order they came.
  std::deque<std::variant<Event, std::function<void()>>> queue_;
  std::vector<RecordedMessageBox> boxes_;
  std::vector<RecordedFileDialog> dialogs_;
  std::vector<std::string> dialog_answer_;
  std::map<int, FontInfo> fonts_;
  std::map<int, Image> images_;
  std::vector<std::string> urls_;
  std::vector<int> created_;
  int default_font_ = -1;
  int dpi_ = 0;  // no desktop to ask
  std::string gui_face_;
  std::vector<std::string> faces_;
  std::ostream* messages_;
  MessageNote note_;  // guarded by mutex_
  Point cursor_;
  Rect desktop_{0, 0, 1920, 1080};
  int foreground_ = -1;
};

}  // namespace sonvale::platform
