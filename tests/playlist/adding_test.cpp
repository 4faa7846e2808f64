// Adding files through the dialog, folders and drops: probing, texts, the source rate.

#include <filesystem>

#include "playlist/add_tracks.h"
#include "playlist/probe_file.h"
#include "playlist_test_support.h"

namespace sonvale::playlist {
namespace {

class Adding : public PlaylistTest {
 protected:
  std::string folder(const std::string& name) {
    const std::string path = dir_.file(name);
    std::filesystem::create_directories(path);
    return path + "/";
  }
};

TEST_F(Adding, AProbedFileGetsItsTextsFromItsPathAndRate) {
  const std::string album = folder("Music/Album");
  const std::string song = wav_at(album + "Song.wav", 44100);
  ASSERT_TRUE(probe_file(playlist_, song, "WAV"));
  const PlaylistEntry& e = playlist_.staged();
  EXPECT_EQ(e.path, song);
  EXPECT_EQ(e.extension, "WAV");
  EXPECT_EQ(e.sample_rate, 44100);
  EXPECT_EQ(e.title, "Song");
  EXPECT_EQ(e.folder_name, "Album");
  EXPECT_EQ(e.folder_and_title, "Album/Song");
  EXPECT_EQ(e.track_title, "Song");
  EXPECT_EQ(e.artist, "WAV");
  // The first two characters of the path stand where a drive letter once stood.
  EXPECT_EQ(e.display_text, "WAV :44.1>" + song.substr(0, 2) + "-/Album/Song");
  EXPECT_NEAR(static_cast<double>(e.created), static_cast<double>(std::time(nullptr)), 86400.0 + 120.0);
  EXPECT_EQ(source_rate_, 44100);
}

TEST_F(Adding, TheFirstRateFixesThePlaylistUntilEveryPageIsEmpty) {
  const std::string at48 = wav_at(dir_.file("a48.wav"), 48000);
  const std::string at44 = wav_at(dir_.file("b44.wav"), 44100);
  add_dropped_files(playlist_, {at48, at44});
  EXPECT_EQ(list_texts(1).size(), 1u);
  EXPECT_EQ(source_rate_, 48000);
  EXPECT_EQ(entries(1)[0].display_text.substr(0, 10), "WAV :48.0>");

  playlist_.set_visible_page(2);
  add_dropped_files(playlist_, {at44});
  playlist_.clear_page();  // page 1 still holds the 48 kHz track
  add_dropped_files(playlist_, {at44});
  EXPECT_EQ(playlist_.size(2), 0u);

  playlist_.set_visible_page(1);
  playlist_.clear_page();
  EXPECT_EQ(source_rate_, 0);
  add_dropped_files(playlist_, {at44});
  EXPECT_EQ(playlist_.size(1), 1u);
  EXPECT_EQ(source_rate_, 44100);
}

TEST_F(Adding, AFolderIsListedOneLevelDeepInNameOrder) {
  const std::string music = folder("Music");
  const test::Pcm pcm = test::reference_pcm(44100, 2, 16, 2000);
  ASSERT_FALSE(test::make_fixture(dir_, "Music/Song.flac", test::Encoder::Flac, pcm).empty());
  ASSERT_FALSE(test::make_fixture(dir_, "Music/song.FLAC", test::Encoder::Flac, pcm).empty());
  ASSERT_FALSE(test::make_fixture(dir_, "Music/a.wv", test::Encoder::WavPack, pcm).empty());
  test::write_text(music + "notes.txt", "not audio");
  wav_at(music + ".hidden.wav", 44100);
  wav_at(folder("Music/sub") + "deeper.wav", 44100);

  // A relative item beginning with "." is passed over, and so is an empty one.
  add_folders(playlist_, {music, "./", ""});
  const auto added = entries(1);
  ASSERT_EQ(added.size(), 3u);
  EXPECT_EQ(added[0].title, "Song");
  EXPECT_EQ(added[0].extension, "FLAC");
  EXPECT_EQ(added[1].title, "a");
  EXPECT_EQ(added[1].extension, "WV");
  EXPECT_EQ(added[1].display_text.substr(0, 10), "WV  :44.1>");
  EXPECT_EQ(added[2].title, "song");
  EXPECT_EQ(added[2].extension, "FLAC");
  EXPECT_EQ(list_texts(1).size(), 3u);

  // A folder written without its closing "/" lists the same files.
  playlist_.set_visible_page(2);
  add_folders(playlist_, {dir_.path() + "/Music"});
  EXPECT_EQ(playlist_.size(2), 3u);

}

TEST_F(Adding, TheDialogKeepsTheExtensionsCaseAndFoldersUpperCaseIt) {
  const std::string music = folder("Music");
  wav_at(music + "song.wav", 44100);
  const test::Pcm pcm = test::reference_pcm(44100, 2, 16, 2000);
  ASSERT_FALSE(test::make_fixture(dir_, "Music/x.Flac", test::Encoder::Flac, pcm).empty());
  ASSERT_FALSE(test::make_fixture(dir_, "Music/y.wv", test::Encoder::WavPack, pcm).empty());

  ui_.answer_file_dialog({music + "song.wav", music + "x.Flac", music + "y.wv", music + "missing.mp3"});
  add_files(playlist_);
  const auto dialogs = ui_.file_dialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].title, "Open Audio WAV/MP3/OGG/FLAC/M4A/AAC/WMA/WV/CDA files");
  EXPECT_EQ(dialogs[0].default_name, "*.*");
  // Disc images' sheets can be chosen too.
  EXPECT_EQ(dialogs[0].filter, "*.WAV;*.FLAC;*.MP3;*.OGG;*.M4A;*.AAC;*.WMA;*.CDA;*.WV;*.CUE;*.TOC");
  const auto chosen = entries(1);
  ASSERT_EQ(chosen.size(), 3u);
  EXPECT_EQ(chosen[0].extension, "wav");
  EXPECT_EQ(chosen[0].display_text.substr(0, 5), "WAV :");
  EXPECT_EQ(chosen[1].extension, "Flac");
  EXPECT_EQ(chosen[1].title, "x");
  EXPECT_EQ(chosen[2].extension, "WV");

  playlist_.set_visible_page(2);
  add_folders(playlist_, {music});
  EXPECT_EQ(entries(2)[0].extension, "WAV");
  add_files(playlist_);  // cancelled: nothing
  EXPECT_EQ(playlist_.size(2), 3u);
}

TEST_F(Adding, DropsProbeEachPathItselfAndRefuseSilently) {
  const std::string music = folder("Music");
  const std::string good = wav_at(music + "good.wav", 44100);
  const std::string text = test::write_text(music + "text.mp3", std::string(5000, 'x'));
  const std::string flac_as_mp3 = test::make_fixture(dir_, "Music/real.flac", test::Encoder::Flac,
                                                     test::reference_pcm(44100, 2, 16, 2000));
  std::filesystem::rename(flac_as_mp3, music + "flac.mp3");
  wav_at(music + "mp3", 44100);  // a name that is all extension

  add_dropped_files(playlist_, {music, text, music + "flac.mp3", ".relative.wav", music + "mp3",
                               music + "track.cda", good});
  const auto added = entries(1);
  ASSERT_EQ(added.size(), 2u);
  EXPECT_EQ(added[0].title, "");  // the file "mp3" plays, without a title
  EXPECT_EQ(added[1].path, good);
  EXPECT_TRUE(ui_.message_boxes().empty());
}

TEST_F(Adding, ANameWithALineFeedIsOneItem) {
  const std::string folder_with_feed = folder("Live\nTake");
  const std::string song = wav_at(folder_with_feed + "a.wav", 44100);
  const std::string dropped = wav_at(dir_.file("two\nlines.wav"), 44100);
  add_dropped_files(playlist_, {dropped});
  add_folders(playlist_, {folder_with_feed});
  const auto added = entries(1);
  ASSERT_EQ(added.size(), 2u);
  EXPECT_EQ(added[0].path, dropped);
  EXPECT_EQ(added[0].title, "two\nlines");
  EXPECT_EQ(added[1].path, song);
}

TEST_F(Adding, NothingOfAnEarlierFileCarriesIntoTheNextEntry) {
  PlaylistEntry& staged = playlist_.staged();
  staged.cd_track = 7;
  staged.cd_drive = 3;
  staged.played = 1;
  staged.title = "left over";
  add_dropped_files(playlist_, {wav_at(dir_.file("a.wav"), 44100)});
  const PlaylistEntry e = entries(1)[0];
  EXPECT_EQ(e.cd_track, 0);
  EXPECT_EQ(e.cd_drive, 0);
  EXPECT_EQ(e.played, 0);
  EXPECT_EQ(e.title, "a");
  EXPECT_FALSE(probe_file(playlist_, dir_.file("missing.wav"), "WAV"));
  EXPECT_TRUE(playlist_.staged().path.empty());
}

}  // namespace
}  // namespace sonvale::playlist
