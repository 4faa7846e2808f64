// Opening a playlist entry as the current decoder, and releasing it.

#include "loading/open_track.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "audiolib/bass.h"
#include "audiolib/bass_cd.h"
#include "audiolib/content_rules.h"
#include "loading/release_decoder.h"
#include "platform/player_ids.h"
#include "platform/ui_headless.h"
#include "playlist/add_tracks.h"
#include "support/audio_fixtures.h"
#include "support/disc_images.h"
#include "support/run_process.h"
#include "support/scoped_env.h"

namespace sonvale::loading {
namespace {

using namespace audiolib;

class OpenTrack : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(BASS_Init(0, 48000, 0, nullptr, nullptr)); }
  void TearDown() override { BASS_Free(); }

  // Puts an entry for `path` on `page`, as the adding paths would.
  void add_entry(int page, const std::string& path, const std::string& extension, const std::string& title) {
    playlist_.set_visible_page(page);
    playlist::PlaylistEntry& e = playlist_.staged();
    e = playlist::PlaylistEntry{};
    e.path = path;
    e.extension = extension;
    e.title = title;
    e.folder_name = "Album";
    e.display_text = title;
    playlist_.append_staged();
  }

  Handle decoder() const { return playback_.current_decoder.load(); }

  platform::HeadlessUi ui_;
  engine::PlaybackState playback_;
  playlist::Playlist playlist_{ui_, playback_.source_rate};
  PlayQueue queue_;
  Loader loader_{ui_, playlist_, playback_, queue_};
  test::TempDir dir_;
  const test::Pcm pcm_ = test::reference_pcm(44100, 2, 16, 3000);
};

TEST_F(OpenTrack, EachExtensionOpensThroughItsRowWhateverItsCase) {
  test::write_wav(dir_.file("a.wav"), pcm_);
  add_entry(1, dir_.file("a.wav"), "wav", "a");
  add_entry(1, test::make_fixture(dir_, "b.MP3", test::Encoder::Lame, pcm_), "Mp3", "b");
  add_entry(1, test::make_fixture(dir_, "d.m4a", test::Encoder::FfmpegAacM4a, pcm_), "m4a", "d");
  add_entry(1, test::make_fixture(dir_, "f.ogg", test::Encoder::Oggenc, pcm_), "OGG", "f");
  add_entry(1, test::make_fixture(dir_, "g.wma", test::Encoder::FfmpegWma, pcm_), "WMA", "g");
  add_entry(1, test::make_fixture(dir_, "h.flac", test::Encoder::Flac, pcm_), "flac", "h");
  add_entry(1, test::make_fixture(dir_, "i.wv", test::Encoder::WavPack, pcm_), "WV", "i");
  for (int i = 0; i < 7; ++i) {
    open_track(loader_, 1, i);
    EXPECT_NE(decoder(), 0u) << "entry " << i;
  }
  EXPECT_EQ(queue_.records().size(), 7u);
  EXPECT_TRUE(ui_.message_boxes().empty());
}

// The MP4 call opens Apple Lossless and AAC too: the order decides which one opens.
TEST_F(OpenTrack, M4aAndAacTryTheAacCallThenAlacThenMp4) {
  // MP3 audio in an MP4 file: only the MP4 call opens it.
  const std::string mp3_in_mp4 = dir_.file("mp3.m4a");
  test::write_wav(dir_.file("mp3.wav"), pcm_);
  const std::vector<std::string> ffmpeg = {"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", dir_.file("mp3.wav"),
                                           "-c:a", "libmp3lame", "-f", "mp4", mp3_in_mp4};
  ASSERT_EQ(test::run_process(ffmpeg).exit_code, 0);
  const std::pair<std::string, CreateCall> files[] = {
      {test::make_fixture(dir_, "alac.m4a", test::Encoder::FfmpegAlacM4a, pcm_), CreateCall::Alac},
      {test::make_fixture(dir_, "aac.m4a", test::Encoder::FfmpegAacM4a, pcm_), CreateCall::Aac},
      {test::make_fixture(dir_, "adts.aac", test::Encoder::FfmpegAdts, pcm_), CreateCall::Aac},
      {mp3_in_mp4, CreateCall::Mp4},
  };
  for (const auto& [path, call] : files) add_entry(1, path, path.ends_with(".aac") ? "AAC" : "M4A", path);
  for (int i = 0; i < 4; ++i) {
    open_track(loader_, 1, i);
    ASSERT_NE(decoder(), 0u) << files[i].first;
    EXPECT_EQ(creation_call_of(decoder()), files[i].second) << files[i].first;
  }
}

TEST_F(OpenTrack, AnOpenedTrackIsQueuedMarkedAndReadToItsLength) {
  test::write_wav(dir_.file("x.wav"), pcm_);
  add_entry(3, dir_.file("x.wav"), "WAV", "x");
  open_track(loader_, 3, 0);
  const Handle stream = decoder();
  ASSERT_NE(stream, 0u);
  const auto records = queue_.records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].line1, "Album");
  EXPECT_EQ(records[0].line2, "x");
  EXPECT_EQ(records[0].length, 3000 * 8);
  EXPECT_EQ(records[0].bytes_played, 0);
  EXPECT_EQ(records[0].colour, 0x6060u);  // page "Three"
  EXPECT_EQ(playlist_.entry(3, 0)->played, 1);

  // As the engine reads it: what remains, in one call, then the end.
  const std::int64_t remaining = BASS_ChannelGetLength(stream, kPositionBytes) - BASS_ChannelGetPosition(stream, kPositionBytes);
  std::vector<float> block(static_cast<std::size_t>(remaining / 4));
  EXPECT_EQ(BASS_ChannelGetData(stream, block.data(), static_cast<std::uint32_t>(remaining)), remaining);
  EXPECT_EQ(BASS_ChannelGetData(stream, block.data(), static_cast<std::uint32_t>(remaining)), -1);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorEnded);

  // Opening again releases the first stream: there are never two.
  open_track(loader_, 3, 0);
  EXPECT_NE(decoder(), 0u);
  EXPECT_EQ(BASS_StreamGetFilePosition(stream, kFilePositionCurrent), -1);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorHandle);
  EXPECT_EQ(queue_.records().size(), 2u);
}

TEST_F(OpenTrack, AFileTheLibraryRejectsIsTried16TimesWithAnErrorBoxEach) {
  add_entry(1, test::write_text(dir_.file("empty.wav"), ""), "WAV", "empty");
  open_track(loader_, 1, 0);
  EXPECT_EQ(decoder(), 0u);
  const auto boxes = ui_.message_boxes();
  ASSERT_EQ(boxes.size(), 16u);
  EXPECT_EQ(boxes[0].title, "ERROR");
  EXPECT_EQ(boxes[0].text, std::to_string(kErrorFileFormat));
  EXPECT_TRUE(queue_.records().empty());
  EXPECT_EQ(playlist_.entry(1, 0)->played, 0);
}

TEST_F(OpenTrack, ACdTrackIsReadFromItsDiscAndAGoneDiscIsTriedWithErrorBoxes) {
  test::ScopedEnv off("SONVALE_CDDB_SERVER", "off");
  const test::DiscImage image = test::make_cue_image(dir_, "album", test::plain_layout({40, 25}));
  playlist_.set_visible_page(2);
  playlist::add_dropped_files(playlist_, {image.sheet});
  ASSERT_EQ(playlist_.size(2), 2u);
  open_track(loader_, 2, 1);
  ASSERT_NE(decoder(), 0u);
  ASSERT_EQ(queue_.records().size(), 1u);
  EXPECT_EQ(queue_.records()[0].length, image.track_frames(1) * 8);
  EXPECT_EQ(queue_.records()[0].line2, "02 > Audio CD");
  EXPECT_EQ(playlist_.entry(2, 1)->played, 1);
  std::vector<float> samples(2 * image.track_frames(1));
  EXPECT_EQ(BASS_ChannelGetData(decoder(), samples.data(), static_cast<std::uint32_t>(samples.size() * 4)),
            static_cast<std::int32_t>(samples.size() * 4));
  EXPECT_EQ(samples, image.track_floats(1));

  std::filesystem::remove(image.bin);
  open_track(loader_, 2, 0);
  EXPECT_EQ(decoder(), 0u);
  const auto boxes = ui_.message_boxes();
  ASSERT_EQ(boxes.size(), 16u);
  EXPECT_EQ(boxes[15].text, std::to_string(kErrorNoCd));
  EXPECT_EQ(queue_.records().size(), 1u);
}

// A file gone after it was queued is tried as any other, and each attempt says why
// it failed, whatever the code the release of the previous decoder left behind.
TEST_F(OpenTrack, AFileThatCannotBeOpenedIsTried16TimesAndSaysSo) {
  test::write_wav(dir_.file("ok.wav"), pcm_);
  add_entry(1, dir_.file("ok.wav"), "WAV", "ok");
  add_entry(1, dir_.file("gone.wav"), "WAV", "gone");
  open_track(loader_, 1, 0);
  const Handle stale = decoder();
  ASSERT_NE(stale, 0u);
  for (bool freed_at_stop : {false, true}) {
    SCOPED_TRACE(freed_at_stop ? "after a stop" : "after a track");
    if (freed_at_stop) {
      BASS_StreamFree(stale);  // as the stream release thread does; the handle stays
      playback_.current_decoder = stale;
    }
    const std::size_t boxes = ui_.message_boxes().size();
    open_track(loader_, 1, 1);
    EXPECT_EQ(decoder(), 0u);
    const auto shown = ui_.message_boxes();
    ASSERT_EQ(shown.size() - boxes, 16u);
    for (std::size_t i = boxes; i < shown.size(); ++i) EXPECT_EQ(shown[i].text, std::to_string(kErrorFileOpen));
  }
  EXPECT_EQ(queue_.records().size(), 1u);
  EXPECT_EQ(playlist_.entry(1, 1)->played, 0);
  // An entry that has gone from the page opens nothing.
  open_track(loader_, 1, 5);
  EXPECT_EQ(decoder(), 0u);
}

// A stop does not wait for an MP3's length to be counted: the record gets -1.
TEST_F(OpenTrack, AStopRequestCutsTheLengthMeasurementShort) {
  add_entry(1, test::make_fixture(dir_, "long.mp3", test::Encoder::Lame, test::reference_pcm(44100, 2, 16, 100'000)),
            "MP3", "long");
  playback_.stop_request = 1;
  open_track(loader_, 1, 0);
  ASSERT_NE(decoder(), 0u);
  ASSERT_EQ(queue_.records().size(), 1u);
  EXPECT_EQ(queue_.records()[0].length, -1);
  playback_.stop_request = 0;
  open_track(loader_, 1, 0);
  EXPECT_EQ(queue_.records()[1].length, 100'000 * 8);
}

TEST_F(OpenTrack, ReleasingFreesALiveStreamAndDropsAStaleHandle) {
  test::write_wav(dir_.file("r.wav"), pcm_);
  const std::string path = dir_.file("r.wav");
  const Handle live = BASS_StreamCreateFile(false, path.c_str(), 0, 0, kFlagDecode | kFlagFloat);
  playback_.current_decoder = live;
  release_decoder(playback_.current_decoder);
  EXPECT_EQ(decoder(), 0u);
  EXPECT_FALSE(BASS_StreamFree(live));  // already freed

  playback_.current_decoder = live;  // freed at stop, still held
  release_decoder(playback_.current_decoder);
  EXPECT_EQ(decoder(), 0u);
  release_decoder(playback_.current_decoder);
  EXPECT_EQ(decoder(), 0u);
}

}  // namespace
}  // namespace sonvale::loading
