#include "shell/folder_picker.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "platform/interface_fonts.h"
#include "platform/player_ids.h"
#include "platform/ui_headless.h"
#include "support/audio_fixtures.h"

namespace sonvale::shell {
namespace {

using platform::HeadlessUi;
using platform::Rect;

constexpr const char* kTitle = "Open Audio WAV/MP3/OGG/FLAC/M4A/AAC/WMA/CDA/WV folders";

// A main window and a start folder holding the folders A, B and C.
struct PickerFixture {
  PickerFixture() {
    for (const char* name : {"A", "B", "C"}) mkdir(dir.file(name).c_str(), 0755);
    platform::create_interface_fonts(ui);
    ui.open_window(ids::kMainWindow, Rect{300, 100, 700, 700}, "Sonvale", platform::kWindowTitleBar);
  }
  std::string folder(const char* name) const { return dir.file(name) + "/"; }

  // Opens the picker and plays the user's steps once its window is up, each after
  // the picker has taken what the step before did.
  using Steps = std::vector<std::function<void()>>;
  std::vector<std::string> run(Steps steps, const std::vector<std::string>& cd_drives = {},
                               std::string start = {}) {
    play(std::make_shared<Steps>(std::move(steps)), 0);
    return folder_picker(ui, start.empty() ? dir.path() + "/" : start, kTitle, cd_drives);
  }
  void play(std::shared_ptr<Steps> steps, std::size_t next) {
    if (next < steps->size()) ui.post([this, steps, next] {
        (*steps)[next]();
        play(steps, next + 1);
      });
  }
  void tick(const char* name) { ui.click_folder_tree_item(ids::kFolderTree, folder(name), true); }
  void click_name(const char* name) { ui.click_folder_tree_item(ids::kFolderTree, folder(name), false); }
  void ok() { ui.press_button(ids::kFolderPickerOk); }
  std::vector<std::string> shown() const {
    std::vector<std::string> items;
    for (int i = 0; i < ui.list_item_count(ids::kSelectedFoldersList); ++i)
      items.push_back(ui.list_item_text(ids::kSelectedFoldersList, i));
    return items;
  }

  test::TempDir dir;
  HeadlessUi ui;
};

TEST(FolderPicker, OpensOverTheMainWindowWithItsControls) {
  PickerFixture f;
  f.run({[&] {
    EXPECT_EQ(f.ui.window_title(ids::kFolderPickerWindow), kTitle);
    EXPECT_EQ(f.ui.window_rect(ids::kFolderPickerWindow), (Rect{307, 270, 686, 459}));
    EXPECT_EQ(f.ui.window_owner(ids::kFolderPickerWindow), ids::kMainWindow);
    EXPECT_TRUE(f.ui.window_flags(ids::kFolderPickerWindow) & platform::kWindowTool);
    EXPECT_EQ(f.ui.gadget_rect(ids::kFolderTree), (Rect{10, 38, 254, 386}));
    EXPECT_EQ(f.ui.gadget_text(ids::kFolderTree), f.dir.path() + "/");  // the start folder
    EXPECT_EQ(f.ui.gadget_text(ids::kFolderTreeCaption), "Folder Path");
    EXPECT_EQ(f.ui.gadget_text(ids::kSelectedFoldersCaption), "Selected in folder");
    EXPECT_EQ(f.ui.gadget_kind(ids::kSelectedFoldersList), platform::GadgetKind::ExtendedList);
    EXPECT_EQ(f.ui.gadget_rect(ids::kFolderPickerFrame), (Rect{5, 0, 673, 428}));
    EXPECT_EQ(f.ui.gadget_text(ids::kFolderPickerOk), "OK");
    EXPECT_EQ(f.ui.gadget_rect(ids::kFolderPickerCancel), (Rect{605, 433, 65, 25}));
    EXPECT_EQ(f.ui.gadget_font(ids::kFolderPickerOk), ids::kPickerFont);
    EXPECT_EQ(f.ui.font_info(ids::kPickerFont)->points, 10);
    f.ok();
  }});
  EXPECT_FALSE(f.ui.window_exists(ids::kFolderPickerWindow));
  EXPECT_FALSE(f.ui.font_info(ids::kPickerFont));  // freed with the window
}

TEST(FolderPicker, TheListFollowsTheCheckBoxesInTickingOrder) {
  {
    PickerFixture f;
    const std::vector<std::string> result = f.run({[&] { f.tick("A"); }, [&] { f.tick("B"); },
                                      [&] { f.tick("A"); },  // unticked again
                                      [&] {
                                        EXPECT_EQ(f.shown(), std::vector<std::string>{f.folder("B")});
                                        f.ok();
                                      }});
    EXPECT_EQ(result, std::vector<std::string>{f.folder("B")});
  }
  {
    PickerFixture f;
    const std::vector<std::string> result =
        f.run({[&] { f.tick("C"); }, [&] { f.tick("A"); }, [&] { f.tick("B"); }, [&] { f.ok(); }});
    EXPECT_EQ(result, (std::vector<std::string>{f.folder("C"), f.folder("A"), f.folder("B")}));
  }
}

TEST(FolderPicker, ANameClickSelectsAndResynchronisesWithoutTicking) {
  PickerFixture f;
  const std::vector<std::string> result = f.run({
      [&] { f.click_name("A"); },
      [&] {
        EXPECT_EQ(f.ui.gadget_text(ids::kFolderTree), f.folder("A"));
        EXPECT_FALSE(f.ui.is_folder_tree_item_checked(ids::kFolderTree, f.folder("A")));
        EXPECT_TRUE(f.shown().empty());
        f.ui.press_space_in_folder_tree(ids::kFolderTree);  // ticks the selected one
      },
      [&] {
        EXPECT_EQ(f.shown(), std::vector<std::string>{f.folder("A")});
        f.click_name("A");  // in step already: nothing changes
      },
      [&] {
        EXPECT_EQ(f.shown(), std::vector<std::string>{f.folder("A")});
        f.ui.press_space_in_folder_tree(ids::kFolderTree);  // unticks it
      },
      [&] { f.tick("B"); },
      [&] { f.ok(); },
  });
  EXPECT_EQ(result, std::vector<std::string>{f.folder("B")});
}

TEST(FolderPicker, AFolderNameWithALineFeedComesBackAsOneFolder) {
  PickerFixture f;
  mkdir(f.dir.file("Live\nTake").c_str(), 0755);
  const std::vector<std::string> result =
      f.run({[&] { f.tick("Live\nTake"); }, [&] { f.tick("B"); }, [&] { f.ok(); }});
  EXPECT_EQ(result, (std::vector<std::string>{f.folder("Live\nTake"), f.folder("B")}));
}

TEST(FolderPicker, ALongPathIsShortenedInTheListAndReturnedWhole) {
  PickerFixture f;
  // The start folder's path plus the name come to 51 characters or more.
  std::string name(std::max<std::size_t>(4, 51 - f.dir.path().size() - 2), 'x');
  mkdir(f.dir.file(name).c_str(), 0755);
  const std::string path = f.dir.file(name) + "/";
  ASSERT_GE(path.size(), 51u);
  const std::vector<std::string> result = f.run({[&] { f.ui.click_folder_tree_item(ids::kFolderTree, path, true); },
                                    [&] {
                                      EXPECT_EQ(f.shown(), std::vector<std::string>{shorten_for_display(path)});
                                      EXPECT_NE(shorten_for_display(path), path);
                                      f.ok();
                                    }});
  EXPECT_EQ(result, std::vector<std::string>{path});
}

TEST(FolderPicker, ShortensPathsLongerThanFiftyCharacters) {
  const std::string fifty = "/" + std::string(49, 'a');
  EXPECT_EQ(shorten_for_display(fifty), fifty);
  const std::string fifty_one = "/ab" + std::string(48, 'c');
  EXPECT_EQ(shorten_for_display(fifty_one), "/ab..." + std::string(48, 'c'));
  const std::string long_path = "/mu" + std::string(60, 'd') + std::string(50, 'e');
  EXPECT_EQ(shorten_for_display(long_path), "/mu..." + std::string(50, 'e'));
  // Characters, not bytes: "é" is two bytes and is never cut in half.
  std::string accented = "/\xc3\xa9" "b";
  for (int i = 0; i < 60; ++i) accented += "\xc3\xa9";
  const std::string shown = shorten_for_display(accented);
  EXPECT_EQ(shown.substr(0, 7), "/\xc3\xa9" "b...");
  EXPECT_EQ(shown.size(), 7u + 100u);
}

TEST(FolderPicker, CancelAndTheCloseBoxReturnNothingAndOkWithoutTicksToo) {
  for (const std::string leaving : {"cancel", "close", "ok"}) {
    SCOPED_TRACE(leaving);
    PickerFixture f;
    const std::vector<std::string> result = f.run({
        [&] {
          if (leaving != "ok") f.tick("A");
        },
        [&] {
          // Close requests of other windows are not the picker's.
          f.ui.inject(platform::Event{platform::EventKind::CloseWindow, ids::kMainWindow});
          if (leaving == "cancel") f.ui.press_button(ids::kFolderPickerCancel);
          if (leaving == "close") f.ui.inject(platform::Event{platform::EventKind::CloseWindow, ids::kFolderPickerWindow});
          if (leaving == "ok") f.ok();
        },
    });
    EXPECT_TRUE(result.empty());
    EXPECT_FALSE(f.ui.window_exists(ids::kFolderPickerWindow));
    EXPECT_TRUE(f.ui.window_exists(ids::kMainWindow));
  }
}

TEST(FolderPicker, AudioCdsInTheirDrivesShowAboveTheFolders) {
  PickerFixture f;
  const std::vector<std::string> drives{"/dev/sr0", "/dev/sr1"};
  const int tree = ids::kFolderTree;
  // Near the top, the start folder shows below the drives.
  const std::vector<std::string> result = f.run(
      {[&] {
         EXPECT_EQ(f.ui.folder_tree_item_at_row(tree, 0), "/dev/sr0/");
         EXPECT_EQ(f.ui.folder_tree_item_at_row(tree, 1), "/dev/sr1/");
         EXPECT_EQ(f.ui.folder_tree_item_at_row(tree, 2), "/");
         EXPECT_EQ(f.ui.folder_tree_item_label(tree, "/dev/sr1/"), "Audio CD (/dev/sr1)");
         f.ui.click_folder_tree_item(tree, "/dev/sr1/", true);
       },
       [&] { f.ok(); }},
      drives, "/");
  EXPECT_EQ(result, std::vector<std::string>{"/dev/sr1/"});
  // Deep down, it stays in view and the drives are above it.
  f.run({[&] {
          EXPECT_EQ(f.ui.folder_tree_item_at_row(tree, 0), f.dir.path() + "/");
          f.ok();
        }},
        drives);
}

TEST(FolderPicker, MovingThePickerDragsTheMainWindowAlong) {
  PickerFixture f;
  f.run({[&] {
           f.ui.move_window(ids::kFolderPickerWindow, 100, 500);
           f.ui.inject(platform::Event{platform::EventKind::WindowMoved, ids::kFolderPickerWindow});
         },
         [&] {
           EXPECT_EQ(f.ui.window_rect(ids::kMainWindow), (Rect{93, 330, 700, 700}));
           f.ok();
         }});
}

}  // namespace
}  // namespace sonvale::shell
