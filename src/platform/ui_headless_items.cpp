// The headless backend's item gadgets (lists, combos, folder trees), gadget states,
// and the user actions that tests drive them with.
#include <algorithm>

#include "platform/ui_headless.h"

namespace sonvale::platform {

void HeadlessUi::add_list_item(int gadget, std::string_view text) {
  std::lock_guard lock(mutex_);
  if (Gadget* g = find_gadget(gadget)) g->items.push_back({std::string(text), false});
}

void HeadlessUi::remove_list_item(int gadget, int index) {
  std::lock_guard lock(mutex_);
  if (find_item(gadget, index) == nullptr) return;
  Gadget* g = find_gadget(gadget);
  g->items.erase(g->items.begin() + index);
  if (g->kind == GadgetKind::Combo && g->state >= index) g->state = g->state == index ? -1 : g->state - 1;
}

void HeadlessUi::clear_list(int gadget) {
  std::lock_guard lock(mutex_);
  Gadget* g = find_gadget(gadget);
  if (g == nullptr) return;
  g->items.clear();
  if (g->kind == GadgetKind::Combo) g->state = -1;
}

int HeadlessUi::list_item_count(int gadget) const {
  std::lock_guard lock(mutex_);
  const Gadget* g = find_gadget(gadget);
  return g ? static_cast<int>(g->items.size()) : 0;
}

std::string HeadlessUi::list_item_text(int gadget, int index) const {
  std::lock_guard lock(mutex_);
  const ListItem* item = find_item(gadget, index);
  return item ? item->text : std::string();
}

int HeadlessUi::selected_list_item(int gadget) const {
  std::lock_guard lock(mutex_);
  const Gadget* g = find_gadget(gadget);
  if (g == nullptr) return -1;
  if (g->kind == GadgetKind::Combo) return g->state;
  for (std::size_t i = 0; i < g->items.size(); ++i)
    if (g->items[i].selected) return static_cast<int>(i);
  return -1;
}

bool HeadlessUi::is_list_item_selected(int gadget, int index) const {
  std::lock_guard lock(mutex_);
  const Gadget* g = find_gadget(gadget);
  if (g != nullptr && g->kind == GadgetKind::Combo) return index >= 0 && g->state == index;
  const ListItem* item = find_item(gadget, index);
  return item && item->selected;
}

void HeadlessUi::select_list_item(int gadget, int index, bool selected) {
  std::lock_guard lock(mutex_);
  if (find_item(gadget, index) == nullptr) return;
  Gadget* g = find_gadget(gadget);
  if (g->kind == GadgetKind::Combo) {
    if (selected)
      g->state = index;
    else if (g->state == index)
      g->state = -1;
    return;
  }
  g->items[static_cast<std::size_t>(index)].selected = selected;
}

void HeadlessUi::set_gadget_state(int gadget, int state) {
  std::lock_guard lock(mutex_);
  Gadget* g = find_gadget(gadget);
  if (g == nullptr) return;
  switch (g->kind) {
    case GadgetKind::Option:
      // The options of a window are one group: ticking one clears the others.
      if (state != 0)
        for (auto& [number, other] : gadgets_)
          if (other.kind == GadgetKind::Option && other.window == g->window) other.state = 0;
      g->state = state != 0 ? 1 : 0;
      break;
    case GadgetKind::Combo:
      g->state = state >= 0 && static_cast<std::size_t>(state) < g->items.size() ? state : -1;
      break;
    case GadgetKind::Bar:
      g->state = std::clamp(state, g->minimum, std::max(g->minimum, g->maximum));
      break;
    default:
      break;
  }
}

int HeadlessUi::gadget_state(int gadget) const {
  std::lock_guard lock(mutex_);
  const Gadget* g = find_gadget(gadget);
  return g ? g->state : 0;
}

void HeadlessUi::set_bar_range(int gadget, int minimum, int maximum) {
  std::lock_guard lock(mutex_);
  Gadget* g = find_gadget(gadget);
  if (g == nullptr || g->kind != GadgetKind::Bar) return;
  g->minimum = minimum;
  g->maximum = maximum;
  g->state = std::clamp(g->state, minimum, std::max(minimum, maximum));
}

FolderTreeModel* HeadlessUi::find_tree(int gadget) const {
  const Gadget* g = find_gadget(gadget);
  return g ? g->tree.get() : nullptr;
}

Rect HeadlessUi::tree_row_rect_locked(const Gadget& g, int row) const {
  const int shown = g.rect.h / kTreeRowHeight;
  const int place = row - g.tree->top_row();
  if (row < 0 || place < 0 || place >= shown) return Rect{};
  const Rect area = gadget_screen_rect_locked(g);
  return Rect{area.x, area.y + place * kTreeRowHeight, area.w, kTreeRowHeight};
}

std::string HeadlessUi::folder_tree_item_at(int gadget, Point screen) const {
  std::lock_guard lock(mutex_);
  const Gadget* g = find_gadget(gadget);
  if (g == nullptr || !g->tree) return {};
  const Rect area = gadget_screen_rect_locked(*g);
  if (!area.contains(screen)) return {};
  const int row = g->tree->top_row() + (screen.y - area.y) / kTreeRowHeight;
  return g->tree->path_at_row(row);
}

Rect HeadlessUi::folder_tree_item_rect(int gadget, std::string_view path) const {
  std::lock_guard lock(mutex_);
  const Gadget* g = find_gadget(gadget);
  if (g == nullptr || !g->tree) return {};
  return tree_row_rect_locked(*g, g->tree->row_of(path));
}

void HeadlessUi::select_folder_tree_item(int gadget, std::string_view path) {
  std::lock_guard lock(mutex_);
  if (FolderTreeModel* tree = find_tree(gadget)) tree->select(path);
}

bool HeadlessUi::is_folder_tree_item_checked(int gadget, std::string_view path) const {
  std::lock_guard lock(mutex_);
  const FolderTreeModel* tree = find_tree(gadget);
  return tree && tree->is_checked(path);
}

void HeadlessUi::add_folder_tree_entry(int gadget, std::string_view label, std::string_view path) {
  std::lock_guard lock(mutex_);
  const Gadget* g = find_gadget(gadget);
  if (g != nullptr && g->tree) g->tree->add_entry(label, path, g->rect.h / kTreeRowHeight);
}

std::string HeadlessUi::folder_tree_item_at_row(int gadget, int row) const {
  std::lock_guard lock(mutex_);
  const FolderTreeModel* tree = find_tree(gadget);
  return tree ? tree->path_at_row(tree->top_row() + row) : std::string();
}

std::string HeadlessUi::folder_tree_item_label(int gadget, std::string_view path) const {
  std::lock_guard lock(mutex_);
  const FolderTreeModel* tree = find_tree(gadget);
  return tree ? tree->label_of(path) : std::string();
}

void HeadlessUi::press_button(int gadget) {
  if (!gadget_exists(gadget)) return;
  click_gadget(gadget);
  if (gadget_kind(gadget) == GadgetKind::Option) set_gadget_state(gadget, 1);
  inject(Event(EventKind::Gadget, window_of(gadget), gadget, cursor_position()));
}

void HeadlessUi::choose_combo_item(int gadget, int index) {
  if (!gadget_exists(gadget)) return;
  click_gadget(gadget);
  set_gadget_state(gadget, index);
  inject(Event(EventKind::Gadget, window_of(gadget), gadget, cursor_position()));
}

void HeadlessUi::click_folder_tree_item(int gadget, std::string_view path, bool on_check_box) {
  Point where;
  int window = -1;
  {
    std::lock_guard lock(mutex_);
    const Gadget* g = find_gadget(gadget);
    if (g == nullptr || !g->tree) return;
    const Rect row = tree_row_rect_locked(*g, g->tree->row_of(path));
    if (row.w == 0) return;
    where = Point{row.x + row.w / 2, row.y + row.h / 2};
    cursor_ = where;
    window = g->window;
    if (on_check_box) g->tree->set_checked(path, !g->tree->is_checked(path));
  }
  inject(Event(EventKind::LeftButtonDown, window, gadget, where));
  Event clicked(EventKind::Gadget, window, gadget, where);
  clicked.detail = kTreeClicked;
  inject(std::move(clicked));
}

void HeadlessUi::press_space_in_folder_tree(int gadget) {
  int window = -1;
  {
    std::lock_guard lock(mutex_);
    FolderTreeModel* tree = find_tree(gadget);
    if (tree == nullptr) return;
    tree->set_checked(tree->selected(), !tree->is_checked(tree->selected()));
    window = window_of_locked(gadget);
  }
  Event space(EventKind::Gadget, window, gadget);
  space.detail = kTreeSpaceKey;
  inject(std::move(space));
}

void HeadlessUi::expand_folder_tree_item(int gadget, std::string_view path) {
  std::lock_guard lock(mutex_);
  if (FolderTreeModel* tree = find_tree(gadget)) tree->expand(path);
}

}  // namespace sonvale::platform
