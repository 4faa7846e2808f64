#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/colour.h"
#include "platform/geometry.h"

namespace sonvale::platform {

// Message box flags.
inline constexpr unsigned kIconError = 0x10;
inline constexpr unsigned kSystemModal = 0x1000;

// Window flags.
inline constexpr unsigned kWindowInvisible = 1u << 0;  // opened hidden
inline constexpr unsigned kWindowCentred = 1u << 1;    // centred on the screen
inline constexpr unsigned kWindowTitleBar = 1u << 2;   // caption, system menu, close box
inline constexpr unsigned kWindowBorderless = 1u << 3;
inline constexpr unsigned kWindowTool = 1u << 4;       // no task-bar button
inline constexpr unsigned kWindowNoCloseBox = 1u << 5;

enum class ShowCommand { Hide, Show, Maximize, Restore };

enum class GadgetKind {
  Text,    // static text, centred, used as a label or a click target
  Image,
  List,    // list box, each click toggles one entry's selection
  Combo,
  Bar,     // progress bar
  Button,
  Option,
  Frame,
  Editor,  // read-only, wrapped text
};

enum class EventKind {
  None,             // the wait timed out
  LeftButtonDown,   // on the main window or one of its gadgets
  RightButtonDown,
  Gadget,           // a gadget's own notification (button pressed, selection changed)
  FilesDropped,
  CloseWindow,
  WindowMoved,
  Shortcut,
};

struct Event {
  Event() = default;
  Event(EventKind kind, int window = -1, int gadget = -1, Point pointer = {})
      : kind(kind), window(window), gadget(gadget), pointer(pointer) {}

  EventKind kind = EventKind::None;
  int window = -1;
  int gadget = -1;
  Point pointer;      // screen position carried by a button event
  std::string files;  // dropped paths, separated by line feeds
  int shortcut = 0;
};

// Windows and gadgets addressed by number, the model the player's windows are
// written in. Gadget numbers are unique across windows. All calls are made on the
// thread that created the backend, except post() and message_box(), which may be
// called from any thread.
class Ui {
 public:
  virtual ~Ui() = default;

  // Windows. Rectangles of windows are client areas in screen coordinates.
  virtual bool open_window(int window, Rect client, std::string_view title, unsigned flags,
                           int owner = -1) = 0;
  virtual void close_window(int window) = 0;
  virtual bool window_exists(int window) const = 0;
  virtual std::string window_title(int window) const = 0;
  virtual void show_window(int window, ShowCommand command) = 0;
  virtual bool is_window_visible(int window) const = 0;
  virtual bool is_window_maximized(int window) const = 0;
  virtual void set_foreground_window(int window) = 0;
  virtual int foreground_window() const = 0;
  virtual void enable_window(int window, bool enabled) = 0;
  virtual bool is_window_enabled(int window) const = 0;
  virtual Rect window_rect(int window) const = 0;   // client area
  virtual Rect window_outer_rect(int window) const = 0;  // title bar and frame included
  virtual void move_window(int window, int x, int y) = 0;
  virtual void set_window_colour(int window, Colour back) = 0;

  // Gadgets. Rectangles are relative to the window's client area.
  virtual bool create_gadget(int window, int gadget, GadgetKind kind, Rect rect,
                             std::string_view text) = 0;
  virtual bool gadget_exists(int gadget) const = 0;
  virtual GadgetKind gadget_kind(int gadget) const = 0;
  virtual Rect gadget_rect(int gadget) const = 0;
  virtual Rect gadget_screen_rect(int gadget) const = 0;
  virtual void set_gadget_text(int gadget, std::string_view text) = 0;
  virtual std::string gadget_text(int gadget) const = 0;
  virtual void set_gadget_text_colour(int gadget, Colour colour) = 0;
  virtual Colour gadget_text_colour(int gadget) const = 0;
  virtual void set_gadget_back_colour(int gadget, Colour colour) = 0;
  virtual Colour gadget_back_colour(int gadget) const = 0;
  virtual void hide_gadget(int gadget, bool hidden) = 0;
  virtual bool is_gadget_hidden(int gadget) const = 0;
  virtual void disable_gadget(int gadget, bool disabled) = 0;
  virtual bool is_gadget_disabled(int gadget) const = 0;

  // List gadgets: items in order, any number of them selected at once. An index out
  // of range changes nothing and reads as an empty text or as unselected.
  virtual void add_list_item(int gadget, std::string_view text) = 0;
  virtual void remove_list_item(int gadget, int index) = 0;
  virtual void clear_list(int gadget) = 0;
  virtual int list_item_count(int gadget) const = 0;
  virtual std::string list_item_text(int gadget, int index) const = 0;
  // The first selected item, -1 when none is.
  virtual int selected_list_item(int gadget) const = 0;
  virtual bool is_list_item_selected(int gadget, int index) const = 0;
  virtual void select_list_item(int gadget, int index, bool selected) = 0;

  // Events. A negative time-out waits until an event comes.
  virtual Event wait_event(int timeout_ms) = 0;
  // Runs the task on the user-interface thread, inside a later wait_event().
  virtual void post(std::function<void()> task) = 0;

  virtual Point cursor_position() const = 0;
  // The desktop area that windows may cover.
  virtual Rect desktop_rect() const = 0;

  // Shows a modal message box and returns when it is answered. From a thread other
  // than the user interface's, only that thread waits.
  virtual int message_box(std::string_view title, std::string_view text, unsigned flags) = 0;

  // The multi-select open-file dialog. `filter` lists patterns separated by ";"
  // ("*.WAV;*.MP3"), matched without regard to case. Returns the chosen paths in the
  // order the dialog gives them; none when it is cancelled.
  virtual std::vector<std::string> open_files_dialog(std::string_view title,
                                                     std::string_view default_name,
                                                     std::string_view filter) = 0;

  // A click on a list item: flips its selection.
  void toggle_list_item(int gadget, int index);

  // The pointer's position at the moment of the call against a gadget's or a
  // window's screen rectangle (a window's title bar included).
  bool cursor_on_gadget(int gadget) const;
  bool cursor_on_window(int window) const;
};

}  // namespace sonvale::platform
