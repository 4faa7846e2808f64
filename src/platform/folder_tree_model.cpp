#include "platform/folder_tree_model.h"

#include "platform/files.h"

namespace sonvale::platform {

FolderTreeModel::FolderTreeModel(std::string_view start_folder) {
  Node root;
  root.path = "/";
  nodes_.push_back(std::move(root));
  int node = 0;
  expand("/");
  // Each step down the start folder's path: "/home/", "/home/user/", ...
  std::string path = "/";
  std::size_t from = start_folder.starts_with('/') ? 1 : start_folder.size();
  while (from < start_folder.size()) {
    std::size_t end = start_folder.find('/', from);
    if (end == std::string_view::npos) end = start_folder.size();
    if (end > from) {
      path.append(start_folder.substr(from, end - from)).push_back('/');
      const int child = find(path);
      if (child < 0) break;
      node = child;
      expand(path);
    }
    from = end + 1;
  }
  selected_ = nodes_[static_cast<std::size_t>(node)].path;
  top_row_ = row_of(selected_);
}

int FolderTreeModel::find(std::string_view path) const {
  for (std::size_t i = 0; i < nodes_.size(); ++i)
    if (nodes_[i].path == path) return static_cast<int>(i);
  return -1;
}

void FolderTreeModel::load_children(int node) {
  if (nodes_[static_cast<std::size_t>(node)].loaded) return;
  nodes_[static_cast<std::size_t>(node)].loaded = true;
  const std::string folder = nodes_[static_cast<std::size_t>(node)].path;
  for (const DirectoryEntry& entry : list_directory(folder)) {
    if (!entry.is_folder) continue;
    const int child = static_cast<int>(nodes_.size());
    Node child_node;
    child_node.path = folder + entry.name + "/";
    child_node.parent = node;
    nodes_.push_back(std::move(child_node));
    nodes_[static_cast<std::size_t>(node)].children.push_back(child);
  }
}

bool FolderTreeModel::expand(std::string_view path) {
  const int node = find(path);
  if (node < 0) return false;
  load_children(node);
  nodes_[static_cast<std::size_t>(node)].expanded = true;
  return true;
}

void FolderTreeModel::append_shown(int node, std::vector<int>& rows) const {
  rows.push_back(node);
  const Node& n = nodes_[static_cast<std::size_t>(node)];
  if (!n.expanded) return;
  for (int child : n.children) append_shown(child, rows);
}

void FolderTreeModel::add_entry(std::string_view label, std::string_view path, int shown_rows) {
  Node entry;
  entry.path = std::string(path);
  entry.label = std::string(label);
  entry.loaded = true;
  entries_.push_back(static_cast<int>(nodes_.size()));
  nodes_.push_back(std::move(entry));
  const int selected = row_of(selected_);
  top_row_ = selected < shown_rows ? 0 : selected;
}

std::vector<int> FolderTreeModel::shown_nodes() const {
  std::vector<int> rows(entries_);
  append_shown(0, rows);
  return rows;
}

std::vector<std::string> FolderTreeModel::shown_paths() const {
  std::vector<std::string> paths;
  for (int node : shown_nodes()) paths.push_back(nodes_[static_cast<std::size_t>(node)].path);
  return paths;
}

int FolderTreeModel::row_of(std::string_view path) const {
  const std::vector<int> rows = shown_nodes();
  for (std::size_t row = 0; row < rows.size(); ++row)
    if (nodes_[static_cast<std::size_t>(rows[row])].path == path) return static_cast<int>(row);
  return -1;
}

std::string FolderTreeModel::path_at_row(int row) const {
  const std::vector<int> rows = shown_nodes();
  if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) return {};
  return nodes_[static_cast<std::size_t>(rows[static_cast<std::size_t>(row)])].path;
}

bool FolderTreeModel::select(std::string_view path) {
  if (row_of(path) < 0) return false;
  selected_ = std::string(path);
  return true;
}

std::string FolderTreeModel::label_of(std::string_view path) const {
  const int node = find(path);
  if (node < 0) return {};
  const Node& n = nodes_[static_cast<std::size_t>(node)];
  if (n.parent < 0) return n.label.empty() ? n.path : n.label;
  const std::string_view folder = std::string_view(n.path).substr(0, n.path.size() - 1);
  return std::string(folder.substr(folder.rfind('/') + 1));
}

bool FolderTreeModel::is_checked(std::string_view path) const {
  const int node = find(path);
  return node >= 0 && nodes_[static_cast<std::size_t>(node)].checked;
}

void FolderTreeModel::set_checked(std::string_view path, bool checked) {
  const int node = find(path);
  if (node >= 0) nodes_[static_cast<std::size_t>(node)].checked = checked;
}

}  // namespace sonvale::platform
