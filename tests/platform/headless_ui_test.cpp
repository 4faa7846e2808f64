#include "platform/ui_headless.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <sstream>
#include <thread>

#include "support/audio_fixtures.h"

namespace sonvale::platform {
namespace {

TEST(HeadlessUi, KeepsWindowsAndGadgetsByNumber) {
  HeadlessUi ui;
  ASSERT_TRUE(ui.open_window(5, Rect{100, 50, 700, 700}, "Sonvale", kWindowInvisible | kWindowTitleBar));
  EXPECT_FALSE(ui.is_window_visible(5));
  EXPECT_EQ(ui.window_title(5), "Sonvale");
  ASSERT_TRUE(ui.create_gadget(5, 13, GadgetKind::Text, Rect{30, 190, 100, 25}, "PLAY"));
  EXPECT_FALSE(ui.create_gadget(9, 14, GadgetKind::Text, Rect{}, "no such window"));

  ui.set_gadget_back_colour(13, rgb(0, 0, 96));
  ui.set_gadget_text(13, "PAUSE");
  EXPECT_EQ(ui.gadget_text(13), "PAUSE");
  EXPECT_EQ(ui.gadget_back_colour(13), 0x600000u);
  EXPECT_EQ(ui.gadget_screen_rect(13), (Rect{130, 240, 100, 25}));

  ui.close_window(5);
  EXPECT_FALSE(ui.window_exists(5));
  EXPECT_FALSE(ui.gadget_exists(13));
  EXPECT_EQ(ui.gadget_text(13), "");
}

TEST(HeadlessUi, CentresWindowsOnTheDesktopAndFramesTheirTitleBar) {
  HeadlessUi ui;
  ui.set_desktop(Rect{0, 0, 1000, 800});
  ui.open_window(5, Rect{0, 0, 700, 700}, "Sonvale", kWindowCentred | kWindowTitleBar);
  EXPECT_EQ(ui.window_rect(5), (Rect{150, 50, 700, 700}));
  const Rect outer = ui.window_outer_rect(5);
  EXPECT_LT(outer.y, 50);
  EXPECT_GT(outer.w, 700);
  ui.open_window(11, Rect{0, 0, 40, 40}, "TaskM", kWindowBorderless);
  EXPECT_EQ(ui.window_outer_rect(11), ui.window_rect(11));
}

TEST(HeadlessUi, CursorTestsIncludeTheLeftAndTopEdgesOnly) {
  HeadlessUi ui;
  ui.open_window(5, Rect{0, 0, 700, 700}, "Sonvale", kWindowTitleBar);
  ui.create_gadget(5, 2, GadgetKind::Text, Rect{10, 31, 100, 20}, "x 1");
  ui.set_cursor({10, 31});
  EXPECT_TRUE(ui.cursor_on_gadget(2));
  ui.set_cursor({109, 50});
  EXPECT_TRUE(ui.cursor_on_gadget(2));
  ui.set_cursor({110, 40});
  EXPECT_FALSE(ui.cursor_on_gadget(2));
  ui.set_cursor({50, 51});
  EXPECT_FALSE(ui.cursor_on_gadget(2));
  EXPECT_TRUE(ui.cursor_on_window(5));
  EXPECT_FALSE(ui.cursor_on_gadget(77));
}

TEST(HeadlessUi, WaitReturnsInjectedEventsInOrderThenTimesOut) {
  HeadlessUi ui;
  ui.inject(Event{EventKind::RightButtonDown, 5});
  ui.inject(Event{EventKind::CloseWindow, 5});
  EXPECT_EQ(ui.wait_event(0).kind, EventKind::RightButtonDown);
  EXPECT_EQ(ui.wait_event(0).kind, EventKind::CloseWindow);
  EXPECT_EQ(ui.wait_event(5).kind, EventKind::None);
}

TEST(HeadlessUi, AnEventFromAnotherThreadEndsTheWait) {
  HeadlessUi ui;
  std::thread sender([&] { ui.inject(Event{EventKind::CloseWindow, 5}); });
  EXPECT_EQ(ui.wait_event(-1).kind, EventKind::CloseWindow);
  sender.join();
}

TEST(HeadlessUi, PostedTasksRunOnTheWaitingThread) {
  HeadlessUi ui;
  std::thread::id ran_on;
  std::thread poster([&] { ui.post([&] { ran_on = std::this_thread::get_id(); }); });
  poster.join();
  EXPECT_EQ(ui.wait_event(0).kind, EventKind::None);
  EXPECT_EQ(ran_on, std::this_thread::get_id());
}

TEST(HeadlessUi, ClickingAGadgetPressesOnItsCentre) {
  HeadlessUi ui;
  ui.open_window(5, Rect{0, 0, 700, 700}, "Sonvale", kWindowTitleBar);
  ui.create_gadget(5, 13, GadgetKind::Text, Rect{30, 190, 100, 25}, "PLAY");
  ui.click_gadget(13);
  const Event e = ui.wait_event(0);
  EXPECT_EQ(e.kind, EventKind::LeftButtonDown);
  EXPECT_EQ(e.window, 5);
  EXPECT_TRUE(ui.cursor_on_gadget(13));
}

TEST(HeadlessUi, MessageBoxesAreRecordedAndPrinted) {
  std::ostringstream out;
  HeadlessUi ui(&out);
  EXPECT_EQ(ui.message_box("CPU Error", "This software use SSE2.", kIconError | kSystemModal), 1);
  const auto boxes = ui.message_boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "CPU Error");
  EXPECT_EQ(boxes[0].flags, 0x1010u);
  EXPECT_EQ(out.str(), "sonvale: [CPU Error] This software use SSE2.\n");

  // A note says what a bare text means; the box keeps its text.
  ui.set_message_note([](std::string_view title, std::string_view text) {
    return title == "ERROR" && text == "2" ? "the file cannot be opened" : "";
  });
  ui.message_box("ERROR", "2", 0);
  ui.message_box("ERROR", "41", 0);
  EXPECT_EQ(out.str(), "sonvale: [CPU Error] This software use SSE2.\n"
                       "sonvale: [ERROR] 2: the file cannot be opened\n"
                       "sonvale: [ERROR] 41\n");
  EXPECT_EQ(ui.message_boxes()[1].text, "2");
}

TEST(HeadlessUi, ShowCommandsKeepTrackOfMaximisation) {
  HeadlessUi ui;
  ui.open_window(5, Rect{0, 0, 700, 700}, "Sonvale", kWindowInvisible);
  ui.show_window(5, ShowCommand::Maximize);
  EXPECT_TRUE(ui.is_window_visible(5));
  EXPECT_TRUE(ui.is_window_maximized(5));
  ui.show_window(5, ShowCommand::Restore);
  EXPECT_FALSE(ui.is_window_maximized(5));
  ui.show_window(5, ShowCommand::Hide);
  EXPECT_FALSE(ui.is_window_visible(5));
}

TEST(HeadlessUi, ListGadgetsKeepItemsAndSelections) {
  HeadlessUi ui;
  ui.open_window(5, Rect{0, 0, 700, 700}, "Sonvale", kWindowTitleBar);
  ui.create_gadget(5, 23, GadgetKind::List, Rect{10, 250, 680, 380}, "");
  for (const char* text : {"one", "two", "three"}) ui.add_list_item(23, text);
  EXPECT_EQ(ui.list_item_count(23), 3);
  EXPECT_EQ(ui.list_item_text(23, 1), "two");
  EXPECT_EQ(ui.list_item_text(23, -1), "");
  EXPECT_EQ(ui.list_item_text(23, 3), "");
  EXPECT_EQ(ui.selected_list_item(23), -1);

  ui.toggle_list_item(23, 2);
  ui.select_list_item(23, 1, true);
  EXPECT_EQ(ui.selected_list_item(23), 1);  // the first selected one
  ui.toggle_list_item(23, 1);
  EXPECT_EQ(ui.selected_list_item(23), 2);
  ui.select_list_item(23, 7, true);  // out of range: nothing happens

  ui.remove_list_item(23, 0);
  EXPECT_EQ(ui.list_item_text(23, 0), "two");
  EXPECT_EQ(ui.selected_list_item(23), 1);  // the selection moves with its item
  ui.remove_list_item(23, 5);
  ui.clear_list(23);
  EXPECT_EQ(ui.list_item_count(23), 0);
  EXPECT_EQ(ui.selected_list_item(23), -1);
}

TEST(HeadlessUi, TheFileDialogAnswersOnceWithTheInjectedChoice) {
  HeadlessUi ui;
  ui.answer_file_dialog({"/music/a.mp3", "/music/b.flac"});
  EXPECT_EQ(ui.open_files_dialog("Open", "*.*", "*.WAV;*.MP3"),
            (std::vector<std::string>{"/music/a.mp3", "/music/b.flac"}));
  EXPECT_TRUE(ui.open_files_dialog("Open", "*.*", "*.WAV").empty());  // cancelled
  const auto dialogs = ui.file_dialogs();
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[0].title, "Open");
  EXPECT_EQ(dialogs[0].default_name, "*.*");
  EXPECT_EQ(dialogs[0].filter, "*.WAV;*.MP3");
}


TEST(HeadlessUi, PostedTasksAndInjectedEventsComeInTheOrderGiven) {
  HeadlessUi ui;
  std::vector<int> seen;
  ui.post([&] { seen.push_back(1); });
  ui.inject(Event{EventKind::RightButtonDown, 5});
  ui.post([&] {
    seen.push_back(2);
    ui.inject(Event{EventKind::CloseWindow, 5});
  });
  EXPECT_EQ(ui.wait_event(0).kind, EventKind::RightButtonDown);
  EXPECT_EQ(seen, std::vector<int>{1});
  EXPECT_EQ(ui.wait_event(0).kind, EventKind::CloseWindow);
  EXPECT_EQ(seen, (std::vector<int>{1, 2}));
}

TEST(HeadlessUi, ImagesRecordWhatIsDrawnAndForgetWhatIsPaintedOver) {
  HeadlessUi ui;
  ASSERT_TRUE(ui.create_image(9, 540, 100));
  ASSERT_TRUE(ui.load_image(8, RgbImage{540, 100, std::vector<std::uint8_t>(540 * 100 * 3), {}}));
  EXPECT_FALSE(ui.create_image(4, 0, 10));
  EXPECT_EQ(ui.image_rect(9), (Rect{0, 0, 540, 100}));
  for (int pass = 0; pass < 3; ++pass) {
    ui.draw_image(9, 8, 0, 0);
    ui.draw_text(9, 10, 5, "Album", 1, kWhite, 0xA00000);
    ui.fill_image_rect(9, Rect{5, 80, 530, 15}, 0);
  }
  const auto ops = ui.image_ops(9);
  ASSERT_EQ(ops.size(), 3u);  // the last pass only
  EXPECT_EQ(ops[0].kind, ImageOp::Kind::Image);
  EXPECT_EQ(ops[0].source, 8);
  EXPECT_EQ(ops[1].text, "Album");
  EXPECT_EQ(ops[1].rect.x, 10);
  EXPECT_EQ(ops[1].back, 0xA00000u);
  EXPECT_EQ(ops[2].rect, (Rect{5, 80, 530, 15}));
  ui.draw_image(9, 77, 0, 0);  // no such image: nothing drawn
  EXPECT_EQ(ui.image_ops(9).size(), 3u);
}

TEST(HeadlessUi, TheFolderTreeShowsFoldersOnlyOpenedDownToTheStartFolder) {
  test::TempDir dir;
  for (const char* name : {"B", "A", "A/deep"}) mkdir(dir.file(name).c_str(), 0755);
  test::write_text(dir.file("song.flac"), "x");
  HeadlessUi ui;
  ui.open_window(12, Rect{100, 100, 686, 459}, "Pick", kWindowTitleBar);
  ui.create_gadget(12, 93, GadgetKind::FolderTree, Rect{10, 38, 254, 386}, dir.path() + "/");
  const std::string start = dir.path() + "/";
  EXPECT_EQ(ui.gadget_text(93), start);
  // The start folder is the first row, its folders follow, sorted; files are left out.
  const Rect first = ui.folder_tree_item_rect(93, start);
  EXPECT_EQ(first, (Rect{110, 138, 254, 20}));
  EXPECT_EQ(ui.folder_tree_item_at(93, Point{120, 160}), start + "A/");
  EXPECT_EQ(ui.folder_tree_item_at(93, Point{120, 180}), start + "B/");
  EXPECT_EQ(ui.folder_tree_item_at(93, Point{90, 160}), "");  // beside the tree
  EXPECT_EQ(ui.folder_tree_item_rect(93, start + "A/deep/").w, 0);  // not opened yet
  ui.expand_folder_tree_item(93, start + "A/");
  EXPECT_EQ(ui.folder_tree_item_at(93, Point{120, 180}), start + "A/deep/");

  ui.click_folder_tree_item(93, start + "B/", true);
  EXPECT_TRUE(ui.is_folder_tree_item_checked(93, start + "B/"));
  EXPECT_EQ(ui.wait_event(0).kind, EventKind::LeftButtonDown);
  const Event clicked = ui.wait_event(0);
  EXPECT_EQ(clicked.gadget, 93);
  EXPECT_EQ(clicked.detail, kTreeClicked);
  EXPECT_EQ(ui.folder_tree_item_at(93, ui.cursor_position()), start + "B/");
}

}  // namespace
}  // namespace sonvale::platform
