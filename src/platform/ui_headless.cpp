#include "platform/ui_headless.h"

#include <chrono>
#include <utility>

namespace sonvale::platform {
namespace {

// Frame and caption sizes of a decorated window, as a desktop would draw them.
constexpr int kFrame = 3;
constexpr int kCaption = 23;

}  // namespace

HeadlessUi::HeadlessUi(std::ostream* messages) : messages_(messages) {}

const HeadlessUi::Window* HeadlessUi::find_window(int window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

const HeadlessUi::Gadget* HeadlessUi::find_gadget(int gadget) const {
  auto it = gadgets_.find(gadget);
  return it == gadgets_.end() ? nullptr : &it->second;
}

HeadlessUi::Gadget* HeadlessUi::find_gadget(int gadget) {
  auto it = gadgets_.find(gadget);
  return it == gadgets_.end() ? nullptr : &it->second;
}

const HeadlessUi::ListItem* HeadlessUi::find_item(int gadget, int index) const {
  const Gadget* g = find_gadget(gadget);
  if (g == nullptr || index < 0 || static_cast<std::size_t>(index) >= g->items.size()) return nullptr;
  return &g->items[static_cast<std::size_t>(index)];
}

bool HeadlessUi::open_window(int window, Rect client, std::string_view title, unsigned flags,
                             int owner) {
  std::lock_guard lock(mutex_);
  if (flags & kWindowCentred) {
    client.x = desktop_.x + (desktop_.w - client.w) / 2;
    client.y = desktop_.y + (desktop_.h - client.h) / 2;
  }
  Window w;
  w.client = client;
  w.title = std::string(title);
  w.flags = flags;
  w.owner = owner;
  w.visible = !(flags & kWindowInvisible);
  windows_[window] = w;
  if (w.visible) foreground_ = window;
  return true;
}

void HeadlessUi::close_window(int window) {
  std::lock_guard lock(mutex_);
  windows_.erase(window);
  std::erase_if(gadgets_, [window](const auto& g) { return g.second.window == window; });
  if (foreground_ == window) foreground_ = -1;
}

bool HeadlessUi::window_exists(int window) const {
  std::lock_guard lock(mutex_);
  return find_window(window) != nullptr;
}

std::string HeadlessUi::window_title(int window) const {
  std::lock_guard lock(mutex_);
  const Window* w = find_window(window);
  return w ? w->title : std::string();
}

void HeadlessUi::show_window(int window, ShowCommand command) {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  Window& w = it->second;
  switch (command) {
    case ShowCommand::Hide: w.visible = false; break;
    case ShowCommand::Show: w.visible = true; break;
    case ShowCommand::Maximize: w.visible = true; w.maximized = true; break;
    case ShowCommand::Restore: w.visible = true; w.maximized = false; break;
  }
}

bool HeadlessUi::is_window_visible(int window) const {
  std::lock_guard lock(mutex_);
  const Window* w = find_window(window);
  return w && w->visible;
}

bool HeadlessUi::is_window_maximized(int window) const {
  std::lock_guard lock(mutex_);
  const Window* w = find_window(window);
  return w && w->maximized;
}

void HeadlessUi::set_foreground_window(int window) {
  std::lock_guard lock(mutex_);
  if (find_window(window)) foreground_ = window;
}

int HeadlessUi::foreground_window() const {
  std::lock_guard lock(mutex_);
  return foreground_;
}

void HeadlessUi::enable_window(int window, bool enabled) {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(window);
  if (it != windows_.end()) it->second.enabled = enabled;
}

bool HeadlessUi::is_window_enabled(int window) const {
  std::lock_guard lock(mutex_);
  const Window* w = find_window(window);
  return w && w->enabled;
}

Rect HeadlessUi::window_rect(int window) const {
  std::lock_guard lock(mutex_);
  const Window* w = find_window(window);
  return w ? w->client : Rect{};
}

Rect HeadlessUi::outer_rect_locked(const Window& w) const {
  if (w.flags & kWindowBorderless) return w.client;
  return Rect{w.client.x - kFrame, w.client.y - kFrame - kCaption, w.client.w + 2 * kFrame,
              w.client.h + 2 * kFrame + kCaption};
}

Rect HeadlessUi::window_outer_rect(int window) const {
  std::lock_guard lock(mutex_);
  const Window* w = find_window(window);
  return w ? outer_rect_locked(*w) : Rect{};
}

void HeadlessUi::move_window(int window, int x, int y) {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  it->second.client.x = x;
  it->second.client.y = y;
}

void HeadlessUi::set_window_colour(int window, Colour back) {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(window);
  if (it != windows_.end()) it->second.back = back;
}

void HeadlessUi::resize_window(int window, int w, int h) {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  it->second.client.w = w;
  it->second.client.h = h;
}

void HeadlessUi::set_window_topmost(int window, bool topmost) {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(window);
  if (it != windows_.end()) it->second.topmost = topmost;
}

bool HeadlessUi::is_window_topmost(int window) const {
  std::lock_guard lock(mutex_);
  const Window* w = find_window(window);
  return w && w->topmost;
}

void HeadlessUi::accept_drops(int window, bool accept) {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(window);
  if (it != windows_.end()) it->second.drops = accept;
}

void HeadlessUi::add_shortcut(int window, int key, int id) {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(window);
  if (it != windows_.end()) it->second.shortcuts.push_back({key, id});
}

void HeadlessUi::remove_shortcuts(int window) {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(window);
  if (it != windows_.end()) it->second.shortcuts.clear();
}

void HeadlessUi::cut_window_to_image(int window, int image) {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(window);
  if (it != windows_.end() && images_.contains(image)) it->second.cut_image = image;
}

bool HeadlessUi::create_gadget(int window, int gadget, GadgetKind kind, Rect rect,
                               std::string_view text) {
  std::lock_guard lock(mutex_);
  if (!find_window(window)) return false;
  Gadget g;
  g.window = window;
  g.kind = kind;
  g.rect = rect;
  g.font = default_font_;
  if (kind == GadgetKind::Combo) g.state = -1;
  if (kind == GadgetKind::FolderTree)
    g.tree = std::make_shared<FolderTreeModel>(text);
  else
    g.text = std::string(text);
  gadgets_[gadget] = std::move(g);
  created_.push_back(gadget);
  return true;
}

bool HeadlessUi::gadget_exists(int gadget) const {
  std::lock_guard lock(mutex_);
  return find_gadget(gadget) != nullptr;
}

GadgetKind HeadlessUi::gadget_kind(int gadget) const {
  std::lock_guard lock(mutex_);
  const Gadget* g = find_gadget(gadget);
  return g ? g->kind : GadgetKind::Text;
}

Rect HeadlessUi::gadget_rect(int gadget) const {
  std::lock_guard lock(mutex_);
  const Gadget* g = find_gadget(gadget);
  return g ? g->rect : Rect{};
}

Rect HeadlessUi::gadget_screen_rect_locked(const Gadget& g) const {
  const Window* w = find_window(g.window);
  if (!w) return Rect{};
  return Rect{w->client.x + g.rect.x, w->client.y + g.rect.y, g.rect.w, g.rect.h};
}

Rect HeadlessUi::gadget_screen_rect(int gadget) const {
  std::lock_guard lock(mutex_);
  const Gadget* g = find_gadget(gadget);
  return g ? gadget_screen_rect_locked(*g) : Rect{};
}

int HeadlessUi::window_of_locked(int gadget) const {
  const Gadget* g = find_gadget(gadget);
  return g ? g->window : -1;
}

int HeadlessUi::window_of(int gadget) const {
  std::lock_guard lock(mutex_);
  return window_of_locked(gadget);
}

void HeadlessUi::set_gadget_text(int gadget, std::string_view text) {
  std::lock_guard lock(mutex_);
  auto it = gadgets_.find(gadget);
  if (it != gadgets_.end()) it->second.text = std::string(text);
}

std::string HeadlessUi::gadget_text(int gadget) const {
  std::lock_guard lock(mutex_);
  const Gadget* g = find_gadget(gadget);
  if (g == nullptr) return {};
  if (g->kind == GadgetKind::FolderTree) return g->tree->selected();
  if (g->kind == GadgetKind::Combo) {
    const ListItem* item = find_item(gadget, g->state);
    return item ? item->text : std::string();
  }
  return g->text;
}

void HeadlessUi::set_gadget_text_colour(int gadget, Colour colour) {
  std::lock_guard lock(mutex_);
  auto it = gadgets_.find(gadget);
  if (it != gadgets_.end()) it->second.text_colour = colour;
}

Colour HeadlessUi::gadget_text_colour(int gadget) const {
  std::lock_guard lock(mutex_);
  const Gadget* g = find_gadget(gadget);
  return g ? g->text_colour : 0;
}

void HeadlessUi::set_gadget_back_colour(int gadget, Colour colour) {
  std::lock_guard lock(mutex_);
  auto it = gadgets_.find(gadget);
  if (it != gadgets_.end()) it->second.back_colour = colour;
}

Colour HeadlessUi::gadget_back_colour(int gadget) const {
  std::lock_guard lock(mutex_);
  const Gadget* g = find_gadget(gadget);
  return g ? g->back_colour : 0;
}

void HeadlessUi::hide_gadget(int gadget, bool hidden) {
  std::lock_guard lock(mutex_);
  auto it = gadgets_.find(gadget);
  if (it != gadgets_.end()) it->second.hidden = hidden;
}

bool HeadlessUi::is_gadget_hidden(int gadget) const {
  std::lock_guard lock(mutex_);
  const Gadget* g = find_gadget(gadget);
  return g && g->hidden;
}

void HeadlessUi::disable_gadget(int gadget, bool disabled) {
  std::lock_guard lock(mutex_);
  auto it = gadgets_.find(gadget);
  if (it != gadgets_.end()) it->second.disabled = disabled;
}

bool HeadlessUi::is_gadget_disabled(int gadget) const {
  std::lock_guard lock(mutex_);
  const Gadget* g = find_gadget(gadget);
  return g && g->disabled;
}

Event HeadlessUi::wait_event(int timeout_ms) {
  std::unique_lock lock(mutex_);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    while (!queue_.empty()) {
      auto next = std::move(queue_.front());
      queue_.pop_front();
      if (Event* event = std::get_if<Event>(&next)) return std::move(*event);
      // Posted work runs outside the lock, as a window system would dispatch it.
      lock.unlock();
      std::get<std::function<void()>>(next)();
      lock.lock();
    }
    if (timeout_ms < 0) {
      wake_.wait(lock);
    } else if (wake_.wait_until(lock, deadline) == std::cv_status::timeout && queue_.empty()) {
      return Event{};
    }
  }
}

std::size_t HeadlessUi::queued() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

void HeadlessUi::post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(task));
  }
  wake_.notify_all();
}

Point HeadlessUi::cursor_position() const {
  std::lock_guard lock(mutex_);
  return cursor_;
}

Rect HeadlessUi::desktop_rect() const {
  std::lock_guard lock(mutex_);
  return desktop_;
}

int HeadlessUi::message_box(std::string_view title, std::string_view text, unsigned flags) {
  std::lock_guard lock(mutex_);
  boxes_.push_back({std::string(title), std::string(text), flags});
  if (messages_ == nullptr) return 1;
  *messages_ << "sonvale: [" << title << "] " << text;
  if (const std::string note = note_ ? note_(title, text) : std::string(); !note.empty()) *messages_ << ": " << note;
  *messages_ << std::endl;
  return 1;
}

void HeadlessUi::set_message_note(MessageNote note) {
  std::lock_guard lock(mutex_);
  note_ = std::move(note);
}

std::vector<std::string> HeadlessUi::open_files_dialog(std::string_view title,
                                                       std::string_view default_name,
                                                       std::string_view filter) {
  std::lock_guard lock(mutex_);
  dialogs_.push_back({std::string(title), std::string(default_name), std::string(filter)});
  return std::exchange(dialog_answer_, {});
}

void HeadlessUi::inject(Event event) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(event));
  }
  wake_.notify_all();
}

void HeadlessUi::set_cursor(Point p) {
  std::lock_guard lock(mutex_);
  cursor_ = p;
}

void HeadlessUi::click_gadget(int gadget) {
  const Rect r = gadget_screen_rect(gadget);
  const Point centre{r.x + r.w / 2, r.y + r.h / 2};
  int window = -1;
  {
    std::lock_guard lock(mutex_);
    cursor_ = centre;
    window = window_of_locked(gadget);
  }
  inject(Event(EventKind::LeftButtonDown, window, gadget, centre));
}

void HeadlessUi::set_desktop(Rect desktop) {
  std::lock_guard lock(mutex_);
  desktop_ = desktop;
}

std::vector<RecordedMessageBox> HeadlessUi::message_boxes() const {
  std::lock_guard lock(mutex_);
  return boxes_;
}

void HeadlessUi::answer_file_dialog(std::vector<std::string> paths) {
  std::lock_guard lock(mutex_);
  dialog_answer_ = std::move(paths);
}

std::vector<RecordedFileDialog> HeadlessUi::file_dialogs() const {
  std::lock_guard lock(mutex_);
  return dialogs_;
}

bool HeadlessUi::open_url(std::string_view url) {
  std::lock_guard lock(mutex_);
  urls_.emplace_back(url);
  return true;
}

std::vector<std::string> HeadlessUi::opened_urls() const {
  std::lock_guard lock(mutex_);
  return urls_;
}

void HeadlessUi::set_screen_dpi(int dpi) {
  std::lock_guard lock(mutex_);
  dpi_ = dpi;
}

void HeadlessUi::set_gui_face(std::string face) {
  std::lock_guard lock(mutex_);
  gui_face_ = std::move(face);
}

void HeadlessUi::set_installed_faces(std::vector<std::string> faces) {
  std::lock_guard lock(mutex_);
  faces_ = std::move(faces);
}

unsigned HeadlessUi::window_flags(int window) const {
  std::lock_guard lock(mutex_);
  const Window* w = find_window(window);
  return w ? w->flags : 0;
}

int HeadlessUi::window_owner(int window) const {
  std::lock_guard lock(mutex_);
  const Window* w = find_window(window);
  return w ? w->owner : -1;
}

Colour HeadlessUi::window_colour(int window) const {
  std::lock_guard lock(mutex_);
  const Window* w = find_window(window);
  return w ? w->back : 0;
}

std::vector<int> HeadlessUi::creation_order() const {
  std::lock_guard lock(mutex_);
  return created_;
}

int HeadlessUi::window_cut_image(int window) const {
  std::lock_guard lock(mutex_);
  const Window* w = find_window(window);
  return w ? w->cut_image : -1;
}

std::vector<Shortcut> HeadlessUi::shortcuts(int window) const {
  std::lock_guard lock(mutex_);
  const Window* w = find_window(window);
  return w ? w->shortcuts : std::vector<Shortcut>{};
}

bool HeadlessUi::accepts_drops(int window) const {
  std::lock_guard lock(mutex_);
  const Window* w = find_window(window);
  return w && w->drops;
}

}  // namespace sonvale::platform
