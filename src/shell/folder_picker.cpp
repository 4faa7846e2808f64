#include "shell/folder_picker.h"

#include <algorithm>
#include <vector>

#include "platform/interface_fonts.h"
#include "platform/player_ids.h"

namespace sonvale::shell {
namespace {

using platform::Event;
using platform::EventKind;
using platform::GadgetKind;
using platform::Rect;

constexpr std::size_t kDisplayLimit = 50;

// Paths are UTF-8 here; the limit counts characters, and a cut never splits one.
std::vector<std::size_t> character_starts(std::string_view text) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size(); ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
  return starts;
}

// The folder list, kept in step with the tree's check boxes.
class FolderList {
 public:
  explicit FolderList(platform::Ui& ui) : ui_(ui) {}

  // After a click or the space bar: the item's tick decides whether its path is in.
  void sync(const std::string& path, bool ticked) {
    const auto it = std::find(paths_.begin(), paths_.end(), path);
    if (ticked && it == paths_.end()) {
      paths_.push_back(path);
      ui_.add_list_item(ids::kSelectedFoldersList, shorten_for_display(path));
    } else if (!ticked && it != paths_.end()) {
      ui_.remove_list_item(ids::kSelectedFoldersList, static_cast<int>(it - paths_.begin()));
      paths_.erase(it);
    }
  }

  const std::vector<std::string>& paths() const { return paths_; }

 private:
  platform::Ui& ui_;
  std::vector<std::string> paths_;
};

void build_picker(platform::Ui& ui, std::string_view start_folder) {
  const int w = ids::kFolderPickerWindow;
  ui.create_gadget(w, ids::kFolderTree, GadgetKind::FolderTree, Rect{10, 38, 254, 386}, start_folder);
  ui.create_gadget(w, ids::kFolderTreeCaption, GadgetKind::Label, Rect{12, 15, 162, 20}, "Folder Path");
  ui.create_gadget(w, ids::kSelectedFoldersCaption, GadgetKind::Label, Rect{273, 17, 177, 20},
                   "Selected in folder");
  ui.create_gadget(w, ids::kSelectedFoldersList, GadgetKind::ExtendedList, Rect{271, 38, 400, 386}, "");
  ui.create_gadget(w, ids::kFolderPickerFrame, GadgetKind::Frame, Rect{5, 0, 673, 428}, "");
  ui.create_gadget(w, ids::kFolderPickerOk, GadgetKind::Button, Rect{540, 433, 50, 25}, "OK");
  ui.create_gadget(w, ids::kFolderPickerCancel, GadgetKind::Button, Rect{605, 433, 65, 25}, "Cancel");
  for (int gadget : {ids::kFolderTree, ids::kFolderTreeCaption, ids::kSelectedFoldersCaption,
                     ids::kSelectedFoldersList, ids::kFolderPickerOk, ids::kFolderPickerCancel})
    ui.set_gadget_font(gadget, ids::kPickerFont);
}

// The item a tree event is about: after a click the one under the pointer, which
// becomes the selected one; after the space bar the selected one. Empty for a click
// beside every item.
std::string item_of(platform::Ui& ui, const Event& event) {
  if (event.detail == platform::kTreeClicked) {
    const std::string hit = ui.folder_tree_item_at(ids::kFolderTree, ui.cursor_position());
    if (hit.empty()) return {};
    ui.select_folder_tree_item(ids::kFolderTree, hit);
  }
  return ui.gadget_text(ids::kFolderTree);
}

}  // namespace

std::string shorten_for_display(std::string_view path) {
  const std::vector<std::size_t> starts = character_starts(path);
  if (starts.size() <= kDisplayLimit) return std::string(path);
  const std::size_t rest = starts.size() - 3;
  const std::size_t tail = starts[3 + (rest > kDisplayLimit ? rest - kDisplayLimit : 0)];
  return std::string(path.substr(0, starts[3])) + "..." + std::string(path.substr(tail));
}

std::vector<std::string> folder_picker(platform::Ui& ui, std::string_view start_folder,
                                       std::string_view title, const std::vector<std::string>& cd_drives) {
  using namespace platform;
  const Rect main = ui.window_rect(ids::kMainWindow);
  ui.load_font(ids::kPickerFont, interface_face(ui), points_for_density(10, ui.screen_dpi()));
  if (!ui.open_window(ids::kFolderPickerWindow, Rect{main.x + 7, main.y + 170, 686, 459}, title,
                      kWindowTitleBar | kWindowTool, ids::kMainWindow)) {
    ui.free_font(ids::kPickerFont);
    return {};
  }
  build_picker(ui, start_folder);
  for (const std::string& drive : cd_drives)
    ui.add_folder_tree_entry(ids::kFolderTree, "Audio CD (" + drive + ")", drive + "/");
  const Rect opened = ui.window_rect(ids::kFolderPickerWindow);
  const Point offset{opened.x - main.x, opened.y - main.y};

  FolderList folders(ui);
  std::vector<std::string> result;
  for (bool open = true; open;) {
    const Event event = ui.wait_event(-1);
    if (event.window != ids::kFolderPickerWindow) continue;
    switch (event.kind) {
      case EventKind::WindowMoved: {
        const Rect now = ui.window_rect(ids::kFolderPickerWindow);
        ui.move_window(ids::kMainWindow, now.x - offset.x, now.y - offset.y);
        break;
      }
      case EventKind::CloseWindow:
        open = false;
        break;
      case EventKind::Gadget:
        if (event.gadget == ids::kFolderPickerOk) {
          result = folders.paths();
          open = false;
        } else if (event.gadget == ids::kFolderPickerCancel) {
          open = false;
        } else if (event.gadget == ids::kFolderTree && event.detail != 0) {
          const std::string path = item_of(ui, event);
          if (!path.empty()) folders.sync(path, ui.is_folder_tree_item_checked(ids::kFolderTree, path));
        }
        break;
      default:
        break;
    }
  }
  ui.close_window(ids::kFolderPickerWindow);
  ui.free_font(ids::kPickerFont);
  return result;
}

}  // namespace sonvale::shell
