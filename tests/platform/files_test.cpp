#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

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

// Sets environment variables for its lifetime, then puts back what was there.
class Environment {
 public:
  ~Environment() {
    for (const auto& [name, value] : saved_) {
      if (value) setenv(name.c_str(), value->c_str(), 1);
      else unsetenv(name.c_str());
    }
  }
  void set(const std::string& name, const char* value) {
    if (!saved_.contains(name)) {
      const char* old = std::getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) setenv(name.c_str(), value, 1);
    else unsetenv(name.c_str());
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST(Files, TheDocumentsFolderIsTheOneTheDesktopHasConfigured) {
  test::TempDir home;
  Environment env;
  env.set("HOME", home.path().c_str());
  env.set("XDG_CONFIG_HOME", nullptr);
  env.set("XDG_DOCUMENTS_DIR", nullptr);
  EXPECT_EQ(documents_folder(), home.path() + "/");  // nothing configured, no ~/Documents
  std::filesystem::create_directory(home.file("Documents"));
  EXPECT_EQ(documents_folder(), home.path() + "/Documents/");

  // As xdg-user-dirs writes it for a German desktop.
  std::filesystem::create_directories(home.file(".config"));
  std::filesystem::create_directory(home.file("Dokumente"));
  test::write_text(home.file(".config/user-dirs.dirs"),
                   "# This file is written by xdg-user-dirs-update\n"
                   "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                   "XDG_DOCUMENTSX_DIR=\"$HOME/Wrong\"\n"
                   "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(documents_folder(), home.path() + "/Dokumente/");

  // Elsewhere, named by an absolute path, in a configuration folder of its own.
  test::TempDir elsewhere;
  test::TempDir config;
  test::write_text(config.file("user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"" + elsewhere.path() + "\"\n");
  env.set("XDG_CONFIG_HOME", config.path().c_str());
  EXPECT_EQ(documents_folder(), elsewhere.path() + "/");

  // A configured folder that is not there gives way to the usual one.
  test::write_text(config.file("user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"$HOME/Gone\"\n");
  EXPECT_EQ(documents_folder(), home.path() + "/Documents/");

  // The variable of the same name still comes first.
  env.set("XDG_DOCUMENTS_DIR", home.file("Dokumente").c_str());
  EXPECT_EQ(documents_folder(), home.path() + "/Dokumente/");
}

}  // namespace
}  // namespace sonvale::platform
