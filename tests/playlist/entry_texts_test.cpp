#include "playlist/entry_texts.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "playlist/candidate.h"
#include "support/audio_fixtures.h"

namespace sonvale::playlist {
namespace {

TEST(EntryTexts, DisplayTextShowsTheRateAsAFloatWithOneDecimal) {
  EXPECT_EQ(display_text("mp3", 44100, "/music/Album/Song.mp3", "Album", "Song"), "MP3 :44.1>/m-/Album/Song");
  EXPECT_EQ(display_text("FLAC", 22050, "/x", "F", "T"), "FLAC:22.0>/x-/F/T");  // 22.05 in float is below
  EXPECT_EQ(display_text("WV", 96000, "ab", "", ""), "WV  :96.0>ab-//");
}

TEST(EntryTexts, FolderNameAndTitleComeFromTheFolderPart) {
  EXPECT_EQ(folder_name_of("/music/Album/"), "Album");
  EXPECT_EQ(folder_name_of("/"), "");
  EXPECT_EQ(folder_name_of(""), "");
  EXPECT_EQ(title_of("/music/Album/Song.flac", "/music/Album/", 4), "Song");
  EXPECT_EQ(title_of("/music/a.b.mp3", "/music/", 3), "a.b");
  EXPECT_EQ(title_of("/music/mp3", "/music/", 3), "");
}

TEST(EntryTexts, AMissingFolderStepsUpToOneThatExists) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.file("a/b"));
  EXPECT_EQ(existing_folder_of(dir.file("a/b/song.mp3")), dir.file("a/b/"));
  EXPECT_EQ(existing_folder_of(dir.file("a/gone/deeper/song.mp3")), dir.file("a/"));
  EXPECT_EQ(existing_folder_of("song.mp3"), "");
  // At most 21 steps up: deeper than that, the folder part stays where it stopped.
  std::string deep = dir.file("a");
  for (int i = 0; i < 25; ++i) deep += "/x";
  const std::string stopped = existing_folder_of(deep + "/song.mp3");
  EXPECT_EQ(std::count(stopped.begin(), stopped.end(), '/'), std::count(deep.begin(), deep.end(), '/') + 1 - 21);
}

TEST(Candidates, NameEndingsChooseTheProbeOrTheCdTrack) {
  using Kind = Candidate::Kind;
  const std::tuple<const char*, Kind, const char*> listed[] = {
      {"a.mp3", Kind::Probe, "MP3"},   {"B.Ogg", Kind::Probe, "OGG"},   {"c.wav", Kind::Probe, "WAV"},
      {"d.m4a", Kind::Probe, "M4A"},   {"e.aac", Kind::Probe, "AAC"},   {"f.wma", Kind::Probe, "WMA"},
      {"g.wv", Kind::Probe, ".WV"},    {"h.flac", Kind::Probe, "FLAC"}, {"i.FLAC", Kind::Probe, "FLAC"},
      {"Track03.cda", Kind::CdTrack, ""}, {"notes.txt", Kind::Ignore, ""}, {"x.alac", Kind::Ignore, ""},
      {"mp3", Kind::Probe, "MP3"},     {"v", Kind::Ignore, ""},         {"", Kind::Ignore, ""}};
  for (const auto& [name, kind, extension] : listed) {
    const Candidate c = classify_listed(name);
    EXPECT_EQ(c.kind, kind) << name;
    EXPECT_EQ(c.extension, extension) << name;
  }
  EXPECT_EQ(classify_chosen("/m/a.mp3").extension, "mp3");
  EXPECT_EQ(classify_chosen("/m/g.Wv").extension, ".Wv");
  EXPECT_EQ(classify_chosen("/m/h.Flac").extension, "Flac");
  EXPECT_EQ(classify_chosen("/m/x.alac").extension, "alac");  // probed, and refused there
  EXPECT_EQ(classify_chosen("/m/T.CDA").kind, Kind::CdTrack);
}

}  // namespace
}  // namespace sonvale::playlist
