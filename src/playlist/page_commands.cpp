#include "playlist/page_commands.h"

#include <string>
#include <string_view>

#include "platform/player_ids.h"
#include "playlist/sort_entries.h"

namespace sonvale::playlist {

void clear_command(Playlist& playlist) {
  const int selected = playlist.ui().selected_list_item(ids::page_list(playlist.visible_page()));
  if (!playlist.remove_entry(selected)) playlist.clear_page();
}

void sort_button_command(Playlist& playlist) {
  struct Step {
    std::string_view caption;
    int mode;
    std::string_view next;
  };
  static constexpr Step kCycle[] = {{"Sort by name", kSortByName, "Sort by dir"},
                                    {"Sort by dir", kSortByFolder, "Sort by made"},
                                    {"Sort by made", kSortByMade, "Sort by name"}};
  platform::Ui& ui = playlist.ui();
  const std::string caption = ui.gadget_text(ids::kSortButton);
  for (const Step& step : kCycle) {
    if (caption != step.caption) continue;
    playlist.sort_page(step.mode);
    ui.set_gadget_text(ids::kSortButton, step.next);
    return;
  }
}

void repeat_command(Playlist& playlist) {
  const int page = playlist.visible_page();
  if (!is_page(page)) return;
  platform::Ui& ui = playlist.ui();
  std::string label = ui.gadget_text(ids::page_label(page));
  const bool repeating = label.ends_with(" R");
  if (repeating)
    label.resize(label.size() - 2);
  else
    label += " R";
  ui.set_gadget_text(ids::page_label(page), label);
  playlist.set_repeats(page, !repeating);
}

}  // namespace sonvale::playlist
