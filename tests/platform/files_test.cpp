#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <fstream>

#include "support/audio_fixtures.h"

namespace sonvale::platform {
namespace {

TEST(Files, ListingTellsFilesFromFoldersInNameOrder) {
  test::TempDir dir;
  for (const char* name : {"b.mp3", "A.flac", ".hidden.wav", "a.wv"}) test::write_text(dir.file(name), "x");
  std::filesystem::create_directory(dir.file("sub"));
  std::filesystem::create_symlink(dir.file("sub"), dir.file("link to sub"));
  std::filesystem::create_symlink(dir.file("b.mp3"), dir.file("link.mp3"));

  const std::vector<DirectoryEntry> entries = list_directory(dir.path());
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name + (e.is_folder ? "/" : ""));
  EXPECT_EQ(names, (std::vector<std::string>{".hidden.wav", "A.flac", "a.wv", "b.mp3", "link to sub/",
                                             "link.mp3", "sub/"}));
  EXPECT_TRUE(list_directory(dir.file("missing")).empty());
  EXPECT_TRUE(list_directory(dir.file("b.mp3")).empty());
  EXPECT_TRUE(is_directory(dir.path() + "/sub/"));
  EXPECT_FALSE(is_directory(dir.file("b.mp3")));
  EXPECT_FALSE(is_directory(""));
}

TEST(Files, CreationTimeIsLocalSecondsSince1970) {
  test::TempDir dir;
  const std::string path = test::write_text(dir.file("new.wav"), "x");
  const std::optional<std::int64_t> created = file_created_local_seconds(path);
  ASSERT_TRUE(created.has_value());
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  EXPECT_NEAR(static_cast<double>(*created), static_cast<double>(now + local.tm_gmtoff), 120.0);
  EXPECT_FALSE(file_created_local_seconds(dir.file("missing")).has_value());
}

TEST(Files, TouchingTheEndsOpensAnythingReadableWithoutWaiting) {
  test::TempDir dir;
  EXPECT_TRUE(touch_file_ends(test::write_text(dir.file("empty.mp3"), "")));
  EXPECT_TRUE(touch_file_ends(test::write_text(dir.file("some.mp3"), "abc")));
  EXPECT_TRUE(touch_file_ends(dir.path()));
  ASSERT_EQ(mkfifo(dir.file("pipe.mp3").c_str(), 0600), 0);
  EXPECT_TRUE(touch_file_ends(dir.file("pipe.mp3")));  // returns at once, no writer needed
  EXPECT_FALSE(touch_file_ends(dir.file("missing.mp3")));
}

}  // namespace
}  // namespace sonvale::platform
