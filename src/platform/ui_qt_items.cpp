// The Qt backend's item gadgets: list boxes, combos and the folder tree.
#include <QtWidgets/QComboBox>
#include <QtWidgets/QListWidget>

#include "platform/ui_qt_private.h"

namespace sonvale::platform {
namespace {

// List items keep the caller's bytes beside the shown text.
constexpr int kItemBytesRole = Qt::UserRole;

QComboBox* as_combo(QWidget* widget) { return qobject_cast<QComboBox*>(widget); }
FolderTreeWidget* as_tree(QWidget* widget) { return dynamic_cast<FolderTreeWidget*>(widget); }

}  // namespace

QListWidget* QtUi::find_list(int gadget) const {
  const Gadget* g = find_gadget(gadget);
  return g ? qobject_cast<QListWidget*>(g->widget) : nullptr;
}

void QtUi::add_list_item(int gadget, std::string_view text) {
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    if (g == nullptr) return;
    if (QComboBox* combo = as_combo(g->widget)) {
      combo->addItem(to_qstring(text), to_bytes(text));
      // A drop-down list starts without a choice, as the user has made none.
      if (combo->count() == 1) combo->setCurrentIndex(-1);
    } else if (QListWidget* list = find_list(gadget)) {
      auto* item = new QListWidgetItem(to_qstring(text), list);
      item->setData(kItemBytesRole, to_bytes(text));
    }
  });
}

void QtUi::remove_list_item(int gadget, int index) {
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    if (g == nullptr) return;
    if (QComboBox* combo = as_combo(g->widget)) {
      if (index >= 0 && index < combo->count()) combo->removeItem(index);
    } else if (QListWidget* list = find_list(gadget)) {
      if (index >= 0 && index < list->count()) delete list->takeItem(index);
    }
  });
}

void QtUi::clear_list(int gadget) {
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    if (g == nullptr) return;
    if (QComboBox* combo = as_combo(g->widget)) combo->clear();
    else if (QListWidget* list = find_list(gadget)) list->clear();
  });
}

int QtUi::list_item_count(int gadget) const {
  int count = 0;
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    if (g == nullptr) return;
    if (QComboBox* combo = as_combo(g->widget)) count = combo->count();
    else if (QListWidget* list = find_list(gadget)) count = list->count();
  });
  return count;
}

std::string QtUi::list_item_text(int gadget, int index) const {
  std::string text;
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    if (g == nullptr || index < 0) return;
    if (QComboBox* combo = as_combo(g->widget)) {
      if (index < combo->count()) text = combo->itemData(index).toByteArray().toStdString();
    } else if (QListWidget* list = find_list(gadget)) {
      if (index < list->count()) text = list->item(index)->data(kItemBytesRole).toByteArray().toStdString();
    }
  });
  return text;
}

int QtUi::selected_list_item(int gadget) const {
  int selected = -1;
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    if (g == nullptr) return;
    if (QComboBox* combo = as_combo(g->widget)) {
      selected = combo->currentIndex();
    } else if (QListWidget* list = find_list(gadget)) {
      for (int i = 0; i < list->count() && selected < 0; ++i)
        if (list->item(i)->isSelected()) selected = i;
    }
  });
  return selected;
}

bool QtUi::is_list_item_selected(int gadget, int index) const {
  bool selected = false;
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    if (g == nullptr || index < 0) return;
    if (QComboBox* combo = as_combo(g->widget)) {
      selected = combo->currentIndex() == index;
    } else if (QListWidget* list = find_list(gadget)) {
      selected = index < list->count() && list->item(index)->isSelected();
    }
  });
  return selected;
}

void QtUi::select_list_item(int gadget, int index, bool selected) {
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    if (g == nullptr || index < 0) return;
    if (QComboBox* combo = as_combo(g->widget)) {
      if (index >= combo->count()) return;
      if (selected) combo->setCurrentIndex(index);
      else if (combo->currentIndex() == index) combo->setCurrentIndex(-1);
    } else if (QListWidget* list = find_list(gadget)) {
      if (index < list->count()) list->item(index)->setSelected(selected);
    }
  });
}

std::string QtUi::folder_tree_item_at(int gadget, Point screen) const {
  std::string path;
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    FolderTreeWidget* tree = g ? as_tree(g->widget) : nullptr;
    if (tree == nullptr) return;
    const QPoint local = tree->viewport()->mapFromGlobal(QPoint(screen.x, screen.y));
    if (tree->viewport()->rect().contains(local)) path = FolderTreeWidget::path_of(tree->itemAt(local));
  });
  return path;
}

Rect QtUi::folder_tree_item_rect(int gadget, std::string_view path) const {
  Rect r;
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    FolderTreeWidget* tree = g ? as_tree(g->widget) : nullptr;
    QTreeWidgetItem* item = tree ? tree->item_for(path) : nullptr;
    if (item == nullptr || !tree->is_shown(item)) return;
    const QRect local = tree->visualItemRect(item).intersected(tree->viewport()->rect());
    if (local.isEmpty()) return;
    const QPoint origin = tree->viewport()->mapToGlobal(local.topLeft());
    r = Rect{origin.x(), origin.y(), local.width(), local.height()};
  });
  return r;
}

void QtUi::select_folder_tree_item(int gadget, std::string_view path) {
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    FolderTreeWidget* tree = g ? as_tree(g->widget) : nullptr;
    QTreeWidgetItem* item = tree ? tree->item_for(path) : nullptr;
    if (item != nullptr && tree->is_shown(item)) tree->setCurrentItem(item);
  });
}

bool QtUi::is_folder_tree_item_checked(int gadget, std::string_view path) const {
  bool checked = false;
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    FolderTreeWidget* tree = g ? as_tree(g->widget) : nullptr;
    QTreeWidgetItem* item = tree ? tree->item_for(path) : nullptr;
    checked = item != nullptr && item->checkState(0) == Qt::Checked;
  });
  return checked;
}

void QtUi::add_folder_tree_entry(int gadget, std::string_view label, std::string_view path) {
  on_ui_thread([&] {
    const Gadget* g = find_gadget(gadget);
    if (FolderTreeWidget* tree = g ? as_tree(g->widget) : nullptr) tree->add_entry(label, path);
  });
}

}  // namespace sonvale::platform
