#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sonvale::platform {

// The folders of the file system as a tree from "/", each with a check box, read
// from the disk as items are expanded. Paths carry a trailing "/". The headless
// backend's folder tree; rows count the shown items from the top, expanded items'
// children following their parent.
class FolderTreeModel {
 public:
  // Expands the way down to `start_folder` and selects it (or the deepest folder of
  // that way that exists).
  explicit FolderTreeModel(std::string_view start_folder);

  std::vector<std::string> shown_paths() const;
  int row_of(std::string_view path) const;  // -1 when not shown
  std::string path_at_row(int row) const;   // empty past the rows
  // The row shown first, the start folder's as opened.
  int top_row() const { return top_row_; }

  // An item above "/" and the entries before it, with nothing under it. The rows
  // then show from the top when the selected item is still among the first
  // `shown_rows`, and from the selected item otherwise.
  void add_entry(std::string_view label, std::string_view path, int shown_rows);
  bool expand(std::string_view path);
  bool select(std::string_view path);  // only a shown item
  const std::string& selected() const { return selected_; }
  // A folder's name ("/" for the root), or an entry's label; empty when not there.
  std::string label_of(std::string_view path) const;
  bool is_checked(std::string_view path) const;
  void set_checked(std::string_view path, bool checked);

 private:
  struct Node {
    std::string path;
    std::string label;  // entries only
    int parent = -1;
    std::vector<int> children;
    bool loaded = false;
    bool expanded = false;
    bool checked = false;
  };

  int find(std::string_view path) const;
  void load_children(int node);
  void append_shown(int node, std::vector<int>& rows) const;
  std::vector<int> shown_nodes() const;

  std::vector<Node> nodes_;
  std::vector<int> entries_;  // shown before "/", in order
  std::string selected_;
  int top_row_ = 0;
};

}  // namespace sonvale::platform
