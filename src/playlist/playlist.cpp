#include "playlist/playlist.h"

#include "platform/player_ids.h"
#include "playlist/sort_entries.h"

namespace sonvale::playlist {

Playlist::Playlist(platform::Ui& ui, std::atomic<std::int32_t>& source_rate)
    : ui_(ui), source_rate_(source_rate) {}

std::vector<PlaylistEntry>& Playlist::entries_of(int page) {
  no_page_.clear();
  return is_page(page) ? pages_[static_cast<std::size_t>(page - 1)] : no_page_;
}

bool Playlist::all_pages_empty() const {
  for (const auto& page : pages_)
    if (!page.empty()) return false;
  return true;
}

bool Playlist::append_staged() {
  const int page = visible_page();
  if (!is_page(page)) return false;
  {
    std::lock_guard lock(mutex_);
    entries_of(page).push_back(staged_);
    entries_of(page).back().id = next_id_++;
  }
  ui_.add_list_item(ids::page_list(page), staged_.display_text);
  return true;
}

bool Playlist::clear_page() {
  const int page = visible_page();
  if (!is_page(page)) return false;
  ui_.clear_list(ids::page_list(page));
  std::lock_guard lock(mutex_);
  entries_of(page).clear();
  if (all_pages_empty()) source_rate_.store(0);
  return true;
}

bool Playlist::remove_entry(int item) {
  const int page = visible_page();
  if (!is_page(page)) return false;
  const std::string text = ui_.list_item_text(ids::page_list(page), item);
  int position = -1;
  {
    std::lock_guard lock(mutex_);
    auto& entries = entries_of(page);
    for (std::size_t i = 0; i < entries.size() && position < 0; ++i)
      if (entries[i].display_text == text) position = static_cast<int>(i);
    if (position < 0) return false;
    entries.erase(entries.begin() + position);
  }
  ui_.remove_list_item(ids::page_list(page), position);
  return true;
}

void Playlist::sort_page(int mode) {
  const int page = visible_page();
  if (!is_page(page)) return;
  std::vector<std::string> texts;
  {
    std::lock_guard lock(mutex_);
    auto& entries = entries_of(page);
    if (!sort_entries(entries, mode)) return;
    for (const auto& e : entries) texts.push_back(e.display_text);
  }
  const int list = ids::page_list(page);
  ui_.clear_list(list);
  for (const auto& text : texts) ui_.add_list_item(list, text);
}

void Playlist::clear_played_marks() {
  std::lock_guard lock(mutex_);
  for (auto& page : pages_)
    for (auto& e : page) e.played = 0;
}

bool Playlist::repeats(int page) const {
  return is_page(page) && repeats_[static_cast<std::size_t>(page - 1)].load();
}

void Playlist::set_repeats(int page, bool repeat) {
  if (is_page(page)) repeats_[static_cast<std::size_t>(page - 1)].store(repeat);
}

std::size_t Playlist::size(int page) const {
  std::lock_guard lock(mutex_);
  return is_page(page) ? pages_[static_cast<std::size_t>(page - 1)].size() : 0;
}

std::optional<PlaylistEntry> Playlist::entry(int page, int index) const {
  std::lock_guard lock(mutex_);
  if (!is_page(page) || index < 0) return std::nullopt;
  const auto& entries = pages_[static_cast<std::size_t>(page - 1)];
  if (static_cast<std::size_t>(index) >= entries.size()) return std::nullopt;
  return entries[static_cast<std::size_t>(index)];
}

void Playlist::set_played_mark(int page, int index, std::uint8_t mark) {
  std::lock_guard lock(mutex_);
  if (!is_page(page) || index < 0) return;
  auto& entries = pages_[static_cast<std::size_t>(page - 1)];
  if (static_cast<std::size_t>(index) < entries.size()) entries[static_cast<std::size_t>(index)].played = mark;
}

bool Playlist::set_played_mark_of(int page, std::uint64_t id, std::uint8_t mark) {
  std::lock_guard lock(mutex_);
  for (auto& e : entries_of(page))
    if (e.id == id) {
      e.played = mark;
      return true;
    }
  return false;
}

}  // namespace sonvale::playlist
