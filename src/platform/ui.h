#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/colour.h"
#include "platform/geometry.h"
#include "platform/rgb_image.h"

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
  Label,         // static text, left-aligned
  ExtendedList,  // list box, a click selects one entry, shift and control extend
  ImageButton,   // a button drawn as its image only
  FolderTree,    // the file system's folders with check boxes, from "/"
};

// What a folder tree's Gadget event reports; either comes after the tree itself has
// handled the input, so check boxes already show the new state.
inline constexpr int kTreeClicked = 1;   // a left click on the tree
inline constexpr int kTreeSpaceKey = 2;  // the space bar

struct FontInfo {
  std::string face;
  int points = 0;
};

enum class EventKind {
  None,             // the wait timed out
  LeftButtonDown,   // on one of our windows or its gadgets, once per press; `gadget`
  RightButtonDown,  // is the gadget under the press, -1 for the window itself
  Gadget,           // a gadget's own notification (button pressed, selection changed)
  FilesDropped,
  CloseWindow,
  WindowMoved,
  Shortcut,
  MediaRequest,     // the desktop's media controls; `detail` is a MediaRequest
};

struct Event {
  Event() = default;
  Event(EventKind kind, int window = -1, int gadget = -1, Point pointer = {})
      : kind(kind), window(window), gadget(gadget), pointer(pointer) {}

  EventKind kind = EventKind::None;
  int window = -1;
  int gadget = -1;
  Point pointer;      // screen position carried by a button event
  std::vector<std::string> files;  // dropped paths, in the order of the drop
  int shortcut = 0;
  int detail = 0;     // a folder tree's kTreeClicked or kTreeSpaceKey, or a MediaRequest
  int value = 0;      // a media request's volume step
};

// Windows and gadgets addressed by number, the model the player's windows are
// written in. Gadget numbers are unique across windows. Any thread may call, except
// wait_event(): a call from a thread other than the one that created the backend is
// carried over to that thread and waits until it runs there, inside that thread's
// wait_event() (or its other waits), so that thread must keep taking events meanwhile.
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
  // Client size; the client area's top-left corner stays.
  virtual void resize_window(int window, int w, int h) = 0;
  virtual void set_window_topmost(int window, bool topmost) = 0;
  virtual bool is_window_topmost(int window) const = 0;
  // Files dropped on the window arrive as FilesDropped events.
  virtual void accept_drops(int window, bool accept) = 0;
  // Pressing `key` (an upper-case letter or digit) in the window gives a Shortcut
  // event carrying `id`.
  virtual void add_shortcut(int window, int key, int id) = 0;
  virtual void remove_shortcuts(int window) = 0;
  // Cuts every pixel of the colour of the image's top-left pixel out of the window,
  // which keeps only the rest of the image's outline.
  virtual void cut_window_to_image(int window, int image) = 0;

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
  // An option's tick (0 or 1; the options of one window form one group), a combo's
  // selected item (-1 for none) or a bar's value. 0 for the other kinds.
  virtual void set_gadget_state(int gadget, int state) = 0;
  virtual int gadget_state(int gadget) const = 0;
  virtual void set_bar_range(int gadget, int minimum, int maximum) = 0;
  // The image a text-less gadget shows (image, image button), -1 for none.
  virtual void set_gadget_image(int gadget, int image) = 0;
  virtual int gadget_image(int gadget) const = 0;

  // Fonts by number, in points; the backend turns points into a line height in pixels
  // with the display's density and takes the largest size of the face whose lines
  // keep within it. Gadgets created after set_default_font() take that font.
  virtual bool load_font(int font, std::string_view face, int points) = 0;
  virtual void free_font(int font) = 0;
  virtual std::optional<FontInfo> font_info(int font) const = 0;
  virtual void set_default_font(int font) = 0;
  virtual void set_gadget_font(int gadget, int font) = 0;
  virtual int gadget_font(int gadget) const = 0;  // -1 for the toolkit's own
  // The face of the desktop's default GUI font; empty when there is none to ask.
  virtual std::string default_gui_face() const = 0;
  // True when a face of exactly this name is installed.
  virtual bool has_face(std::string_view face) const = 0;
  // The desktop's vertical density in dots per inch; 0 when it cannot be read.
  virtual int screen_dpi() const = 0;

  // Images by number, 24-bit, with the alpha channel a loaded picture brings. Drawing
  // on an image shows in the gadgets that show it.
  virtual bool load_image(int image, const RgbImage& pixels) = 0;
  // A new image filled with black.
  virtual bool create_image(int image, int width, int height) = 0;
  virtual bool image_exists(int image) const = 0;
  virtual Rect image_rect(int image) const = 0;  // {0, 0, width, height}
  virtual void draw_image(int target, int source, int x, int y) = 0;
  // Text in a loaded font, on an opaque box of the back colour, its top-left at (x, y).
  virtual void draw_text(int image, int x, int y, std::string_view text, int font,
                         Colour text_colour, Colour back_colour) = 0;
  virtual void fill_image_rect(int image, Rect rect, Colour colour) = 0;

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
  // Combos share the list calls; selecting an item there deselects the others, and
  // gadget_text() reads the selected item's text.

  // Folder trees: items are named by their folder's path with a trailing "/", and
  // gadget_text() reads the selected item's path. An item counts only while shown.
  virtual std::string folder_tree_item_at(int gadget, Point screen) const = 0;
  virtual Rect folder_tree_item_rect(int gadget, std::string_view path) const = 0;  // screen
  virtual void select_folder_tree_item(int gadget, std::string_view path) = 0;
  virtual bool is_folder_tree_item_checked(int gadget, std::string_view path) const = 0;
  // An item above the folders, after those added before, that stands for something
  // holding tracks, such as a disc in a drive: named by `path` as a folder is, shown
  // as `label`, with a check box and nothing under it. The tree then shows its top,
  // unless that would hide the selected folder.
  virtual void add_folder_tree_entry(int gadget, std::string_view label, std::string_view path) = 0;

  // Events. A negative time-out waits until an event comes.
  virtual Event wait_event(int timeout_ms) = 0;
  // Runs the task on the user-interface thread, inside a later wait_event().
  virtual void post(std::function<void()> task) = 0;
  // Puts an event behind those already waiting, as if the window system had
  // delivered it: how requests from outside the windows reach the loops.
  virtual void inject(Event event) = 0;

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

  // Hands a web address to the desktop's handler. False when none took it.
  virtual bool open_url(std::string_view url) = 0;

  // A click on a list item: flips its selection.
  void toggle_list_item(int gadget, int index);

  // The pointer's position at the moment of the call against a gadget's or a
  // window's screen rectangle (a window's title bar included).
  bool cursor_on_gadget(int gadget) const;
  bool cursor_on_window(int window) const;

  // Takes every event already waiting, pausing 1 ms after each, without acting on
  // any: what the waiting loops of start, stop and skip do to keep the windows alive.
  void drop_pending_events();
};

}  // namespace sonvale::platform
