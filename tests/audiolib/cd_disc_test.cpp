// Audio-CD tracks read from disc images made here, through libcdio and paranoia:
// exact samples and lengths, CD text, and broken images refused or ended cleanly.

#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "audiolib/bass_cd.h"
#include "audiolib/cd_drives.h"
#include "audiolib/paranoia/track_reader.h"
#include "decoding_test_support.h"
#include "support/disc_images.h"
#include "support/scoped_env.h"

namespace sonvale::audiolib {
namespace {

namespace fs = std::filesystem;
using test::DiscImage;
using test::DiscLayout;

// Odd track lengths, a pause before the second and third track.
const DiscLayout kThreeTracks{{97, 40, 133}, {"Album", "Band"}, {{"One", ""}, {"Two", "Guest"}}, 12};

class CdDisc : public DecodingTest {
 protected:
  int attach(const std::string& sheet) {
    const int drive = cd_attach_drive(sheet);
    EXPECT_GE(drive, 0) << sheet;
    return drive;
  }

  std::vector<float> read_track(int drive, int track) {
    const Handle stream = BASS_CD_StreamCreate(drive, track, kOpenFlags);
    EXPECT_NE(stream, 0u) << "error " << BASS_ErrorGetCode();
    if (stream == 0) return {};
    std::vector<float> samples = read_to_end(stream, 8 * 1000);
    BASS_StreamFree(stream);
    return samples;
  }

  // The disc's temporary sheets go here, to be seen cleaned up.
  test::TempDir runtime_;
  test::ScopedEnv runtime_env_{"XDG_RUNTIME_DIR", runtime_.path()};
  test::ScopedEnv cddb_off_{"SONVALE_CDDB_SERVER", "off"};
};

TEST_F(CdDisc, ACueImageGivesEachTracksSamplesExactlyAndTheDiscWithoutAGap) {
  const DiscImage image = test::make_cue_image(dir_, "album", kThreeTracks);
  const int drive = attach(image.sheet);
  EXPECT_EQ(cd_attach_drive(image.sheet + "/"), drive);  // once a drive, always the same

  CdDriveInfo info;
  ASSERT_TRUE(BASS_CD_GetInfo(drive, &info));
  EXPECT_EQ(info.path, image.sheet);
  EXPECT_EQ(info.letter, drive);
  EXPECT_TRUE(info.image);
  EXPECT_EQ(info.speed, 0);
  EXPECT_TRUE(BASS_CD_IsReady(drive));
  EXPECT_TRUE(BASS_CD_SetSpeed(drive, -1));
  EXPECT_EQ(cd_audio_tracks(image.sheet), (std::vector<int>{1, 2, 3}));

  std::vector<float> disc;
  for (int track = 0; track < 3; ++track) {
    SCOPED_TRACE(track);
    const Handle stream = BASS_CD_StreamCreate(drive, track, kOpenFlags);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(BASS_ChannelGetLength(stream, kPositionBytes), image.track_frames(track) * 8);
    float rate = 0;
    EXPECT_TRUE(BASS_ChannelGetAttribute(stream, kAttributeRate, &rate));
    EXPECT_EQ(rate, 44100.0f);
    const std::vector<float> samples = read_to_end(stream, 8 * 1001);
    EXPECT_EQ(samples, image.track_floats(track));
    EXPECT_EQ(BASS_ChannelGetPosition(stream, kPositionBytes), image.track_frames(track) * 8);
    EXPECT_TRUE(BASS_StreamFree(stream));
    disc.insert(disc.end(), samples.begin(), samples.end());
  }
  EXPECT_EQ(disc, image.disc_floats());
  // Each opening's copy of the sheet went with it.
  EXPECT_TRUE(fs::is_empty(runtime_.path()));
}

TEST_F(CdDisc, ATocAsCdrdaoWritesItGivesItsCdTextAndSamplesFromAnyWorkingFolder) {
  const DiscImage image = test::make_toc_image(dir_, "album", kThreeTracks);
  const fs::path before = fs::current_path();
  fs::current_path("/");  // the TOC's file names are relative to the TOC, not here
  const int drive = attach(image.sheet);
  const char* text = BASS_CD_GetID(drive, kCdIdText);
  ASSERT_NE(text, nullptr);
  std::vector<std::string> items;
  for (const char* s = text; *s != '\0'; s += std::strlen(s) + 1) items.emplace_back(s);
  EXPECT_EQ(items, (std::vector<std::string>{"TITLE0=Album", "PERFORMER0=Band", "TITLE1=One", "TITLE2=Two",
                                             "PERFORMER2=Guest"}));
  EXPECT_EQ(read_track(drive, 1), image.track_floats(1));
  fs::current_path(before);
}

TEST_F(CdDisc, ACueSheetsCdTextComesThroughAndADiscWithoutAnyHasNone) {
  const DiscImage with = test::make_cue_image(dir_, "with", kThreeTracks);
  const char* text = BASS_CD_GetID(attach(with.sheet), kCdIdText);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "TITLE0=Album");
  const DiscImage without = test::make_cue_image(dir_, "without", test::plain_layout({20, 20}));
  EXPECT_EQ(BASS_CD_GetID(attach(without.sheet), kCdIdText), nullptr);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorNotAvailable);
}

TEST_F(CdDisc, StreamsAreRefusedWithTheReason) {
  const DiscImage image = test::make_cue_image(dir_, "album", kThreeTracks);
  const int drive = attach(image.sheet);
  EXPECT_EQ(BASS_CD_StreamCreate(drive, 3, kOpenFlags), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorCdTrack);
  EXPECT_EQ(BASS_CD_StreamCreate(drive, -1, kOpenFlags), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorCdTrack);
  EXPECT_EQ(BASS_CD_StreamCreate(drive, 0, kFlagFloat), 0u);  // decode-only is required
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorIllegalParam);
  EXPECT_EQ(BASS_CD_StreamCreate(kCdDriveCount, 0, kOpenFlags), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorDevice);
  CdDriveInfo info;
  EXPECT_FALSE(BASS_CD_GetInfo(kCdDriveCount, &info));
  EXPECT_FALSE(BASS_CD_GetInfo(-1, &info));

  // A data track is no audio.
  test::write_text(dir_.file("mixed.cue"),
                   "FILE \"mixed.bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n"
                   "  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n");
  fs::copy_file(image.bin, dir_.file("mixed.bin"));
  const int mixed = attach(dir_.file("mixed.cue"));
  EXPECT_EQ(cd_audio_tracks(dir_.file("mixed.cue")), (std::vector<int>{2}));
  EXPECT_EQ(BASS_CD_StreamCreate(mixed, 0, kOpenFlags), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorNotAudio);
  EXPECT_NE(BASS_CD_StreamCreate(mixed, 1, kOpenFlags), 0u);

  BASS_Free();
  EXPECT_EQ(BASS_CD_StreamCreate(drive, 0, kOpenFlags), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorInit);
  ASSERT_TRUE(BASS_Init(0, 48000, 0, nullptr, nullptr));
}

TEST_F(CdDisc, BrokenImagesAreNoDrives) {
  const DiscImage good = test::make_cue_image(dir_, "good", kThreeTracks);
  const std::string bin = good.bin;
  const std::uintmax_t samples = fs::file_size(bin) / 4;
  auto sheet = [&](const std::string& name, const std::string& text) {
    return test::write_text(dir_.file(name), text);
  };
  const std::string cases[] = {
      sheet("empty.cue", ""),
      sheet("words.cue", "This is a letter, not a cue sheet.\nRegards\n"),
      sheet("binary.cue", std::string("\x01\x02\x00\xff garbage", 13)),
      // Points at a BIN that is not there.
      sheet("missing.cue", "FILE \"nowhere.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"),
      // Claims a track beyond the end of its BIN (270 sectors).
      sheet("long.cue", "FILE \"good.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                        "  TRACK 02 AUDIO\n    INDEX 01 00:05:00\n"),
      // Audio that is not raw CD data would play as noise.
      sheet("wave.cue", "FILE \"good.bin\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"),
      sheet("two.cue", "FILE \"good.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                       "FILE \"good.bin\" BINARY\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n"),
      sheet("backwards.cue", "FILE \"good.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:02:00\n"
                             "  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n"),
      sheet("notracks.cue", "FILE \"good.bin\" BINARY\n"),
      sheet("broken.cue", "FILE \"good.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 99:xx:00\n"),
      // A TOC claiming more than its file holds.
      sheet("long.toc", "CD_DA\nTRACK AUDIO\nFILE \"good.bin\" 00:00:00 09:00:00\n"),
      sheet("long_samples.toc", "CD_DA\nTRACK AUDIO\nFILE \"good.bin\" 0 " + std::to_string(samples + 1) + "\n"),
      sheet("long_offset.toc", "CD_DA\nTRACK AUDIO\nFILE \"good.bin\" #4 0 " + std::to_string(samples) + "\n"),
      sheet("missing.toc", "CD_DA\nTRACK AUDIO\nFILE \"nowhere.bin\" 00:00:00\n"),
      sheet("words.toc", "Not a table of contents.\n"),
  };
  for (const std::string& path : cases) {
    SCOPED_TRACE(path);
    EXPECT_EQ(cd_attach_drive(path), -1);
    const std::optional<std::vector<int>> tracks = cd_audio_tracks(path);
    EXPECT_TRUE(!tracks || tracks->empty());
  }
  EXPECT_EQ(cd_attach_drive(dir_.path()), -1);               // a folder
  EXPECT_EQ(cd_attach_drive(dir_.file("absent.cue")), -1);  // nothing at all
  EXPECT_FALSE(cd_audio_tracks(bin));                        // a BIN is no drive; its sheet is
  EXPECT_TRUE(fs::is_empty(runtime_.path()));
}

TEST_F(CdDisc, ABinCutWhileReadingEndsTheTrackAtTheLastSectorLeft) {
  const DiscImage image = test::make_cue_image(dir_, "album", test::plain_layout({3000, 10}));
  const int drive = attach(image.sheet);
  const Handle stream = BASS_CD_StreamCreate(drive, 0, kOpenFlags);
  ASSERT_NE(stream, 0u);
  std::vector<float> first(2 * 588 * 100);
  ASSERT_EQ(BASS_ChannelGetData(stream, first.data(), static_cast<std::uint32_t>(first.size() * 4)),
            static_cast<std::int32_t>(first.size() * 4));
  fs::resize_file(image.bin, 2352 * 1000 + 77);  // the disc goes, mid-track

  std::vector<float> read = first;
  std::vector<float> chunk(2 * 4096);
  for (;;) {
    const std::int32_t got = BASS_ChannelGetData(stream, chunk.data(), static_cast<std::uint32_t>(chunk.size() * 4));
    if (got <= 0) break;
    read.insert(read.end(), chunk.begin(), chunk.begin() + got / 4);
  }
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorEnded);
  // What came is the disc's own, from its start; it stopped short of the whole.
  const std::vector<float> whole = image.track_floats(0);
  ASSERT_LT(read.size(), whole.size());
  ASSERT_GE(read.size(), first.size());
  EXPECT_TRUE(std::equal(read.begin(), read.end(), whole.begin()));
  EXPECT_EQ(BASS_ChannelGetLength(stream, kPositionBytes), static_cast<std::int64_t>(read.size() * 4));
  BASS_StreamFree(stream);
  // Gone altogether now: the disc is not ready, and a new stream is refused.
  fs::remove(image.bin);
  EXPECT_FALSE(BASS_CD_IsReady(drive));
  EXPECT_EQ(BASS_CD_StreamCreate(drive, 0, kOpenFlags), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), kErrorNoCd);
}

TEST_F(CdDisc, AStreamFreedOrLeftOpenAtBassFreeLetsTheDiscGo) {
  const DiscImage image = test::make_cue_image(dir_, "album", kThreeTracks);
  const int drive = attach(image.sheet);
  const Handle kept = BASS_CD_StreamCreate(drive, 2, kOpenFlags);
  ASSERT_NE(kept, 0u);
  EXPECT_FALSE(fs::is_empty(runtime_.path()));
  BASS_Free();
  EXPECT_TRUE(fs::is_empty(runtime_.path()));
  ASSERT_TRUE(BASS_Init(0, 48000, 0, nullptr, nullptr));
}

// The careful reading used for real drives: overlapping reads compared. Disc
// images read back alike, so it must give the very same samples.
TEST_F(CdDisc, VerifiedReadingGivesTheSameSamples) {
  const DiscImage image = test::make_cue_image(dir_, "album", kThreeTracks);
  const std::optional<CdDrive> drive = as_drive(image.sheet);
  ASSERT_TRUE(drive);
  const std::unique_ptr<cdio::Disc> disc = open_disc(*drive);
  ASSERT_TRUE(disc);
  auto reader = paranoia::TrackReader::open(disc->handle(), 3, paranoia::TrackReader::Care::Verify);
  ASSERT_TRUE(reader);
  std::vector<float> samples;
  while (const std::int16_t* sector = reader->next_sector())
    for (int i = 0; i < paranoia::kSectorSamples; ++i) samples.push_back(static_cast<float>(sector[i]) / 32768.0f);
  EXPECT_EQ(samples, image.track_floats(2));
}

}  // namespace
}  // namespace sonvale::audiolib
