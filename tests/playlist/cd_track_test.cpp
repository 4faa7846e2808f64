// Audio-CD tracks from disc images made here: the drive, the track, the texts from
// CD text or CDDB, the single rate, and the ways a disc reaches a page.

#include <filesystem>

#include "audiolib/bass_cd.h"
#include "playlist/add_tracks.h"
#include "playlist/cd_texts.h"
#include "playlist/cd_track.h"
#include "playlist_test_support.h"
#include "support/cddb_server.h"
#include "support/disc_images.h"
#include "support/scoped_env.h"

namespace sonvale::playlist {
namespace {

using test::DiscLayout;
using test::SheetText;

class CdTrack : public PlaylistTest {
 protected:
  std::string track(const test::DiscImage& image, const char* name) { return image.sheet + "/" + name; }
  // The first two characters of a path stand where a drive letter once stood.
  std::string start() const { return dir_.path().substr(0, 2); }

  test::TempDir cache_;
  test::ScopedEnv cache_env_{"XDG_CACHE_HOME", cache_.path()};
  test::ScopedEnv cddb_off_{"SONVALE_CDDB_SERVER", "off"};
};

// Twelve tracks, titled, the disc's performer and some of the tracks' own.
DiscLayout twelve_tracks() {
  DiscLayout layout;
  layout.track_sectors = std::vector<std::int64_t>(12, 8);
  layout.disc = {"Album", "Band"};
  for (int n = 1; n <= 12; ++n)
    layout.tracks.push_back({"Song " + std::to_string(n), n == 2 || n == 10 ? "Guest " + std::to_string(n) : ""});
  return layout;
}

TEST_F(CdTrack, ATrackWithCdTextGetsItsDriveTrackAndTexts) {
  const test::DiscImage image = test::make_cue_image(dir_, "album", twelve_tracks());
  const std::string path = track(image, "Track03.cda");
  ASSERT_TRUE(add_cd_track(playlist_, path));
  const PlaylistEntry& e = playlist_.staged();
  EXPECT_EQ(e.path, path);
  EXPECT_EQ(e.extension, "CDA");
  EXPECT_EQ(e.sample_rate, 44100);
  EXPECT_EQ(e.cd_track, 2);
  EXPECT_EQ(e.cd_drive, audiolib::cd_attach_drive(image.sheet));
  EXPECT_EQ(e.cd_read_speed, 0);
  EXPECT_EQ(e.folder_name, "Audio CD - Drive " + image.sheet + "/");
  EXPECT_EQ(e.artist, "Band");
  EXPECT_EQ(e.track_title, "Song 3");
  EXPECT_EQ(e.title, "03 > Song 3");
  EXPECT_EQ(e.folder_and_title, "03 > Song 3");
  EXPECT_EQ(e.display_text, "CD:44.1>" + start() + "[Band] 03 > Song 3");
  EXPECT_EQ(source_rate_, 44100);
}

TEST_F(CdTrack, TitlesGoByTheirWholeTagAndATracksOwnPerformerWins) {
  const test::DiscImage image = test::make_toc_image(dir_, "album", twelve_tracks());
  ASSERT_TRUE(add_cd_track(playlist_, track(image, "Track01.cda")));
  EXPECT_EQ(playlist_.staged().track_title, "Song 1");  // never TITLE10, 11 or 12
  EXPECT_EQ(playlist_.staged().artist, "Band");
  ASSERT_TRUE(add_cd_track(playlist_, track(image, "Track10.cda")));
  EXPECT_EQ(playlist_.staged().cd_track, 9);
  EXPECT_EQ(playlist_.staged().display_text, "CD:44.1>" + start() + "[Guest 10] 10 > Song 10");
  ASSERT_TRUE(add_cd_track(playlist_, track(image, "Track02.cda")));
  EXPECT_EQ(playlist_.staged().artist, "Guest 2");
  ASSERT_TRUE(add_cd_track(playlist_, track(image, "Track12.cda")));
  EXPECT_EQ(playlist_.staged().artist, "Band");  // not the last performer of the list
}

TEST_F(CdTrack, WithoutDiscInformationATrackIsAnAudioCdAndKeepsNothingOfTheTrackBefore) {
  const test::DiscImage titled = test::make_cue_image(dir_, "titled", twelve_tracks());
  ASSERT_TRUE(add_cd_track(playlist_, track(titled, "Track03.cda")));
  const test::DiscImage plain = test::make_cue_image(dir_, "plain", test::plain_layout({30, 30, 30}));
  ASSERT_TRUE(add_cd_track(playlist_, track(plain, "Track03.cda")));
  const PlaylistEntry& e = playlist_.staged();
  EXPECT_EQ(e.display_text, "CD:44.1>" + start() + " 03 > Audio CD");
  EXPECT_EQ(e.title, "03 > Audio CD");
  EXPECT_EQ(e.folder_and_title, "03 > Audio CD");
  EXPECT_EQ(e.artist, "");
  EXPECT_EQ(e.track_title, "");
}

TEST_F(CdTrack, OnlyA44100HzPlaylistTakesCdTracks) {
  const test::DiscImage image = test::make_cue_image(dir_, "album", test::plain_layout({30, 30}));
  add_dropped_files(playlist_, {wav_at(dir_.file("a48.wav"), 48000)});
  EXPECT_FALSE(add_cd_track(playlist_, track(image, "Track01.cda")));
  EXPECT_EQ(source_rate_, 48000);
  playlist_.clear_page();
  EXPECT_EQ(source_rate_, 0);
  EXPECT_TRUE(add_cd_track(playlist_, track(image, "Track01.cda")));
  EXPECT_EQ(source_rate_, 44100);
}

TEST_F(CdTrack, PathsWithoutADiscOrTrackOfThemAreRefused) {
  const test::DiscImage image = test::make_cue_image(dir_, "album", test::plain_layout({30, 30}));
  std::filesystem::create_directories(dir_.file("folder"));
  for (const std::string& path :
       {dir_.file("folder/Track01.cda"), dir_.file("Track01.cda"), dir_.file("nothing.cue/Track01.cda"),
        track(image, "Track03.cda"), track(image, "Track00.cda"), track(image, "Track.cda"), std::string("Track01.cda"),
        image.bin + "/Track01.cda"}) {
    EXPECT_FALSE(add_cd_track(playlist_, path)) << path;
  }
  EXPECT_EQ(source_rate_, 0);  // a refused track fixes no rate
}

TEST_F(CdTrack, CddbTitlesATrackWhenTheDiscHasNoCdTextAndIsAskedOnce) {
  test::CddbServer server({"DTITLE=Band / Album", "TTITLE0=First", "TTITLE1=Second", "TTITLE2=Third track"});
  test::ScopedEnv at("SONVALE_CDDB_SERVER", server.address());
  const test::DiscImage image = test::make_cue_image(dir_, "album", test::plain_layout({30, 30, 30}));
  add_dropped_files(playlist_, {image.sheet});
  EXPECT_EQ(list_texts(1), (std::vector<std::string>{"CD:44.1>" + start() + "[Band / Album] 01 > First",
                                                     "CD:44.1>" + start() + "[Band / Album] 02 > Second",
                                                     "CD:44.1>" + start() + "[Band / Album] 03 > Third track"}));
  EXPECT_EQ(server.connections(), 1);
  playlist_.set_visible_page(2);
  add_dropped_files(playlist_, {image.sheet});
  EXPECT_EQ(list_texts(2), list_texts(1));
  EXPECT_EQ(server.connections(), 1);
}

TEST_F(CdTrack, ALatin1CddbAnswerArrivesAsUtf8) {
  test::CddbServer server({"DTITLE=Caf\xe9 Crew / Cr\xe8me", "TTITLE0=\xc9t\xe9", "TTITLE1=Two"});
  test::ScopedEnv at("SONVALE_CDDB_SERVER", server.address());
  const test::DiscImage image = test::make_cue_image(dir_, "album", test::plain_layout({30, 30}));
  ASSERT_TRUE(add_cd_track(playlist_, track(image, "Track01.cda")));
  EXPECT_EQ(playlist_.staged().artist, "Caf\u00e9 Crew / Cr\u00e8me");
  EXPECT_EQ(playlist_.staged().track_title, "\u00c9t\u00e9");
}

TEST_F(CdTrack, ASilentCddbServerLeavesTheDiscWithoutTitlesAndIsAskedOnce) {
  test::CddbServer server({}, test::CddbServer::Mode::Silent);
  test::ScopedEnv at("SONVALE_CDDB_SERVER", server.address());
  const test::DiscImage image = test::make_cue_image(dir_, "album", test::plain_layout({30, 30, 30}));
  add_dropped_files(playlist_, {image.sheet});
  ASSERT_EQ(playlist_.size(1), 3u);
  EXPECT_EQ(list_texts(1)[2], "CD:44.1>" + start() + " 03 > Audio CD");
  EXPECT_EQ(server.connections(), 1);
}

TEST_F(CdTrack, ADiscReachesThePageByItsSheetItsRootOrItsFolder) {
  const test::DiscImage image = test::make_cue_image(dir_, "album", twelve_tracks());
  add_dropped_files(playlist_, {image.sheet});
  const auto dropped = entries(1);
  ASSERT_EQ(dropped.size(), 12u);
  for (int n = 1; n <= 12; ++n) EXPECT_EQ(dropped[n - 1].cd_track, n - 1);
  EXPECT_EQ(dropped[11].path, image.sheet + "/Track12.cda");

  playlist_.set_visible_page(2);
  ui_.answer_file_dialog({image.sheet});
  add_files(playlist_);
  EXPECT_EQ(playlist_.size(2), 12u);

  // The drive's root lists its tracks as files; a folder holding a sheet adds its disc.
  playlist_.set_visible_page(3);
  add_folders(playlist_, {image.sheet + "/"});
  EXPECT_EQ(playlist_.size(3), 12u);
  playlist_.set_visible_page(4);
  add_folders(playlist_, {dir_.path()});
  EXPECT_EQ(playlist_.size(4), 12u);
  EXPECT_EQ(list_texts(4), list_texts(1));
}

TEST_F(CdTrack, BrokenSheetsAddNothing) {
  const test::DiscImage image = test::make_cue_image(dir_, "album", test::plain_layout({30, 30}));
  test::write_text(dir_.file("wave.cue"), "FILE \"album.bin\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
  test::write_text(dir_.file("junk.toc"), std::string(3000, '\xff'));
  add_dropped_files(playlist_, {dir_.file("wave.cue"), dir_.file("junk.toc"), image.bin});
  EXPECT_EQ(playlist_.size(1), 0u);
  EXPECT_EQ(source_rate_, 0);
}

TEST(CdTexts, TheCdTextWalkTakesWholeTagsOnly) {
  const char list[] = "TITLE0=Album\0PERFORMER0=Band\0TITLE1=One\0TITLE10=Ten\0PERFORMER10=Guest\0"
                      "broken\0TITLE11=Has TITLE1= inside\0";
  const DiscTexts one = cd_text_of_track(list, 1);
  EXPECT_EQ(one.title, "One");
  EXPECT_EQ(one.artist, "Band");
  const DiscTexts ten = cd_text_of_track(list, 10);
  EXPECT_EQ(ten.title, "Ten");
  EXPECT_EQ(ten.artist, "Guest");
  const DiscTexts none = cd_text_of_track("TITLE2=Two\0", 3);
  EXPECT_FALSE(none.title);
  EXPECT_FALSE(none.artist);
}

TEST(CdTexts, TheCddbWalkTakesTheLinesOfTheTrackCountedFromZero) {
  const std::string record = "DISCID=1\r\nDTITLE=Band / Album\r\nTTITLE0=First\r\nTTITLE1=Second\r\n"
                             "TTITLE2=Third track\r\nTTITLE12=Twelfth, not TTITLE2=\r\n";
  DiscTexts third = cddb_texts_of_track(record, 3);
  EXPECT_EQ(third.artist, "Band / Album");
  EXPECT_EQ(third.title, "Third track");
  EXPECT_EQ(cddb_texts_of_track(record, 13).title, "Twelfth, not TTITLE2=");
  EXPECT_FALSE(cddb_texts_of_track(record, 14).title);
  EXPECT_FALSE(cddb_texts_of_track("TTITLE0=No disc title\r\n", 1).title);
  EXPECT_EQ(cddb_texts_of_track("DTITLE=Last line", 1).artist, "Last line");
}

TEST(CdTexts, ConversionKeepsUtf8AndTurnsLatin1IntoItHoweverLong) {
  EXPECT_EQ(convert_text_encoding("Caf\u00e9 \u266b"), "Caf\u00e9 \u266b");
  EXPECT_EQ(convert_text_encoding("Caf\xe9 \x80"), "Caf\u00e9 \u20ac");
  std::string long_text;
  for (int i = 0; i < 6000; ++i) long_text += "\xe9";  // 12,000 bytes once converted
  const std::string converted = convert_text_encoding(long_text);
  ASSERT_EQ(converted.size(), 12000u);
  EXPECT_EQ(converted.substr(11998), "\u00e9");
}

}  // namespace
}  // namespace sonvale::playlist
