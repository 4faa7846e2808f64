// The page operations: appending, sorting, removing, clearing, and the source rate.

#include "playlist/page_commands.h"
#include "playlist/sort_entries.h"
#include "playlist_test_support.h"

namespace sonvale::playlist {
namespace {

class Pages : public PlaylistTest {
 protected:
  // Appends an entry whose display text is `text` to the visible page.
  void add(const std::string& text, const std::string& title = "", const std::string& folder_and_title = "",
           std::int32_t created = 0) {
    PlaylistEntry& e = playlist_.staged();
    e = PlaylistEntry{};
    e.display_text = text;
    e.title = title.empty() ? text : title;
    e.folder_and_title = folder_and_title;
    e.created = created;
    ASSERT_TRUE(playlist_.append_staged());
  }
};

TEST_F(Pages, AppendingGoesToTheVisiblePageAndItsList) {
  add("a");
  playlist_.set_visible_page(3);
  add("b");
  add("c");
  EXPECT_EQ(list_texts(1), std::vector<std::string>{"a"});
  EXPECT_EQ(list_texts(3), (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(playlist_.size(3), 2u);
  EXPECT_EQ(playlist_.entry(3, 1)->display_text, "c");
  EXPECT_FALSE(playlist_.entry(3, 2).has_value());
  EXPECT_FALSE(playlist_.entry(0, 0).has_value());

  playlist_.set_visible_page(6);
  EXPECT_FALSE(playlist_.append_staged());
  EXPECT_FALSE(playlist_.clear_page());
  EXPECT_FALSE(playlist_.remove_entry(0));
  playlist_.sort_page(kSortByName);  // nothing to do
}

TEST_F(Pages, SortByNameIsByteOrderedAndStable) {
  add("1", "alpha");
  add("2", "Zed");
  add("3", "");
  add("4", "alpha");
  add("5", "\xc3\xa9t\xc3\xa9");  // bytes above 127 sort after ASCII
  add("6", "Zed");
  playlist_.set_played_mark(1, 3, 1);  // entry "4"
  playlist_.sort_page(kSortByName);
  EXPECT_EQ(list_texts(1), (std::vector<std::string>{"3", "2", "6", "1", "4", "5"}));
  const auto sorted = entries(1);
  EXPECT_EQ(sorted[4].display_text, "4");
  EXPECT_EQ(sorted[4].played, 1);  // the mark moves with its entry
}

TEST_F(Pages, AnEntryKeepsItsIdentityThroughSortsAndRemovals) {
  for (const char* text : {"c", "a", "b", "a"}) add(text);
  const std::uint64_t b = playlist_.entry(1, 2)->id;
  EXPECT_NE(playlist_.entry(1, 1)->id, playlist_.entry(1, 3)->id);  // equal texts, two entries
  playlist_.sort_page(kSortByName);
  playlist_.remove_entry(0);  // the first "a"
  EXPECT_TRUE(playlist_.set_played_mark_of(1, b, 1));
  const auto left = entries(1);
  ASSERT_EQ(left.size(), 3u);
  EXPECT_EQ(left[1].display_text, "b");
  EXPECT_EQ(left[1].played, 1);
  EXPECT_EQ(left[0].played + left[2].played, 0);
  playlist_.set_visible_page(2);
  add("d");
  EXPECT_FALSE(playlist_.set_played_mark_of(1, playlist_.entry(2, 0)->id, 1));  // not on page 1
  playlist_.set_visible_page(1);
  playlist_.clear_page();
  EXPECT_FALSE(playlist_.set_played_mark_of(1, b, 1));
}

TEST_F(Pages, SortByFolderAndByDateAndNothingElse) {
  add("b", "x", "Beta/x", 100);
  add("a", "y", "Alpha/y", -5);
  add("c", "z", "Alpha/y", 0);
  playlist_.sort_page(kSortByFolder);
  EXPECT_EQ(list_texts(1), (std::vector<std::string>{"a", "c", "b"}));
  playlist_.sort_page(kSortByMade);
  EXPECT_EQ(list_texts(1), (std::vector<std::string>{"a", "c", "b"}));
  playlist_.sort_page(kSortByName);
  EXPECT_EQ(list_texts(1), (std::vector<std::string>{"b", "a", "c"}));
  playlist_.sort_page(4);
  playlist_.sort_page(0);
  EXPECT_EQ(list_texts(1), (std::vector<std::string>{"b", "a", "c"}));
}

TEST_F(Pages, TheSortButtonNamesItsSortAndMovesOn) {
  add("b", "x", "Beta/x", 1);
  add("a", "y", "Alpha/y", 3);
  add("c", "a", "Gamma/a", 2);
  const std::pair<const char*, std::vector<std::string>> steps[] = {
      {"Sort by dir", {"c", "b", "a"}},   // by name
      {"Sort by made", {"a", "b", "c"}},  // by folder
      {"Sort by name", {"b", "c", "a"}},  // by date
  };
  for (const auto& [next_caption, order] : steps) {
    sort_button_command(playlist_);
    EXPECT_EQ(ui_.gadget_text(ids::kSortButton), next_caption);
    EXPECT_EQ(list_texts(1), order);
  }
}

TEST_F(Pages, ClearWithASelectionRemovesTheFirstEntryShowingItsText) {
  source_rate_ = 44100;
  add("same", "first");
  add("other");
  add("same", "second");
  ui_.select_list_item(ids::page_list(1), 2, true);
  clear_command(playlist_);
  EXPECT_EQ(list_texts(1), (std::vector<std::string>{"other", "same"}));
  const auto left = entries(1);
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[1].title, "second");  // the first "same" went, the lists stay alike

  ui_.select_list_item(ids::page_list(1), 0, true);
  clear_command(playlist_);
  ui_.select_list_item(ids::page_list(1), 0, true);
  clear_command(playlist_);
  EXPECT_EQ(playlist_.size(1), 0u);
  EXPECT_EQ(source_rate_, 44100);  // removing entries one by one keeps the rate
}

TEST_F(Pages, ClearWithoutASelectionEmptiesThePageAndFreesTheRateWithTheLastPage) {
  source_rate_ = 48000;
  add("one");
  playlist_.set_visible_page(2);
  add("two");
  clear_command(playlist_);
  EXPECT_TRUE(list_texts(2).empty());
  EXPECT_EQ(playlist_.size(2), 0u);
  EXPECT_EQ(source_rate_, 48000);  // page 1 still holds a track
  playlist_.set_visible_page(1);
  clear_command(playlist_);
  EXPECT_EQ(source_rate_, 0);
}

TEST_F(Pages, PlayedMarksAreClearedOnEveryPage) {
  add("a");
  playlist_.set_visible_page(5);
  add("b");
  playlist_.set_played_mark(1, 0, 1);
  playlist_.set_played_mark(5, 0, 1);
  playlist_.set_played_mark(5, 9, 1);  // gone: nothing happens
  playlist_.clear_played_marks();
  EXPECT_EQ(playlist_.entry(1, 0)->played, 0);
  EXPECT_EQ(playlist_.entry(5, 0)->played, 0);
}

}  // namespace
}  // namespace sonvale::playlist
