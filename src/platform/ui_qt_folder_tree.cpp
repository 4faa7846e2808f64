#include <QtCore/QFile>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QTreeWidgetItemIterator>

#include "platform/files.h"
#include "platform/ui_qt_private.h"

namespace sonvale::platform {
namespace {

constexpr int kPathRole = Qt::UserRole;        // the folder's path, as bytes
constexpr int kFilledRole = Qt::UserRole + 1;  // its sub-folders have been read

}  // namespace

FolderTreeWidget::FolderTreeWidget(QWidget* parent, std::string_view start_folder,
                                   std::function<void(int)> report)
    : QTreeWidget(parent), report_(std::move(report)) {
  setHeaderHidden(true);
  setColumnCount(1);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setRootIsDecorated(true);
  QObject::connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { fill(item); });
  add_folder(nullptr, QStringLiteral("/"), "/");
  open_down_to(start_folder);
}

std::string FolderTreeWidget::path_of(const QTreeWidgetItem* item) {
  return item ? item->data(0, kPathRole).toByteArray().toStdString() : std::string();
}

QTreeWidgetItem* FolderTreeWidget::add_folder(QTreeWidgetItem* parent, const QString& name,
                                              std::string path) {
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
  item->setText(0, name);
  item->setData(0, kPathRole, to_bytes(path));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(0, Qt::Unchecked);
  item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  return item;
}

// Reads a folder's sub-folders the first time it opens.
void FolderTreeWidget::fill(QTreeWidgetItem* item) {
  if (item->data(0, kFilledRole).toBool()) return;
  item->setData(0, kFilledRole, true);
  const std::string folder = path_of(item);
  for (const DirectoryEntry& entry : list_directory(folder))
    if (entry.is_folder)
      add_folder(item, QFile::decodeName(to_bytes(entry.name)), folder + entry.name + "/");
  if (item->childCount() == 0) item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
}

void FolderTreeWidget::open_down_to(std::string_view start_folder) {
  QTreeWidgetItem* item = topLevelItem(0);
  item->setExpanded(true);
  std::size_t from = 1;
  while (start_folder.starts_with('/') && from < start_folder.size()) {
    std::size_t end = start_folder.find('/', from);
    if (end == std::string_view::npos) end = start_folder.size();
    const std::string wanted = path_of(item) + std::string(start_folder.substr(from, end - from)) + "/";
    from = end + 1;
    if (wanted.ends_with("//")) continue;
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < item->childCount() && next == nullptr; ++i)
      if (path_of(item->child(i)) == wanted) next = item->child(i);
    if (next == nullptr) break;
    item = next;
    item->setExpanded(true);
  }
  setCurrentItem(item);
  scrollToItem(item, QAbstractItemView::PositionAtTop);
}

QTreeWidgetItem* FolderTreeWidget::item_for(std::string_view path) const {
  for (QTreeWidgetItemIterator it(const_cast<FolderTreeWidget*>(this)); *it != nullptr; ++it)
    if (path_of(*it) == path) return *it;
  return nullptr;
}

bool FolderTreeWidget::is_shown(const QTreeWidgetItem* item) const {
  for (const QTreeWidgetItem* up = item->parent(); up != nullptr; up = up->parent())
    if (!up->isExpanded()) return false;
  return true;
}

void FolderTreeWidget::add_entry(std::string_view label, std::string_view path) {
  auto* item = new QTreeWidgetItem();
  item->setText(0, QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())));
  item->setData(0, kPathRole, to_bytes(path));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(0, Qt::Unchecked);
  item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
  // "/" stays the last top-level item.
  insertTopLevelItem(topLevelItemCount() - 1, item);
  // The top, with the entries, while the start folder stays in view there.
  scrollToTop();
  QTreeWidgetItem* start = currentItem();
  if (start != nullptr && !viewport()->rect().contains(visualItemRect(start)))
    scrollToItem(start, QAbstractItemView::PositionAtTop);
}

void FolderTreeWidget::mouseReleaseEvent(QMouseEvent* event) {
  QTreeWidget::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton) report_(kTreeClicked);
}

void FolderTreeWidget::keyPressEvent(QKeyEvent* event) {
  QTreeWidget::keyPressEvent(event);
  if (event->key() == Qt::Key_Space) report_(kTreeSpaceKey);
}

}  // namespace sonvale::platform
