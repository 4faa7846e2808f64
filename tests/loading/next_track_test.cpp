// Choosing the next track across the pages: played marks, repeat markers, cyclic
// page order.

#include "loading/next_track.h"

#include <gtest/gtest.h>

#include "audiolib/bass.h"
#include "loading/release_decoder.h"
#include "platform/player_ids.h"
#include "platform/ui_headless.h"
#include "playlist/page_commands.h"
#include "support/audio_fixtures.h"

namespace sonvale::loading {
namespace {

class NextTrack : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(audiolib::BASS_Init(0, 48000, 0, nullptr, nullptr));
    ui_.open_window(ids::kMainWindow, platform::Rect{0, 0, 700, 700}, "Sonvale", 0);
    for (int page = 1; page <= 5; ++page) {
      ui_.create_gadget(ids::kMainWindow, ids::page_label(page), platform::GadgetKind::Text, {}, "Page");
      ui_.create_gadget(ids::kMainWindow, ids::page_list(page), platform::GadgetKind::List, {}, "");
    }
    test::write_wav(wav_, test::reference_pcm(44100, 2, 16, 500));
  }
  void TearDown() override {
    release_decoder(playback_.current_decoder);
    audiolib::BASS_Free();
  }

  // Entries named by page and position ("3.2"), all of the same small file.
  void fill(int page, int count) {
    playlist_.set_visible_page(page);
    for (int i = 0; i < count; ++i) {
      playlist::PlaylistEntry& e = playlist_.staged();
      e = playlist::PlaylistEntry{};
      e.path = wav_;
      e.extension = "WAV";
      e.title = std::to_string(page) + "." + std::to_string(i + 1);
      e.display_text = e.title;
      playlist_.append_staged();
    }
  }

  // The title of the track opened, as queued.
  std::string next() {
    queue_.clear();
    next_track_selection(loader_);
    if (playback_.current_decoder.load() == 0) return "none";
    return queue_.front()->line2;
  }

  void repeat(int page) {
    playlist_.set_visible_page(page);
    playlist::repeat_command(playlist_);
  }

  test::TempDir dir_;
  const std::string wav_ = dir_.file("a.wav");
  platform::HeadlessUi ui_;
  engine::PlaybackState playback_;
  playlist::Playlist playlist_{ui_, playback_.source_rate};
  PlayQueue queue_;
  Loader loader_{ui_, playlist_, playback_, queue_};
};

TEST_F(NextTrack, AStartTakesTheVisiblePagesSelectionOrItsFirstEntry) {
  fill(2, 6);
  playlist_.set_visible_page(2);
  EXPECT_EQ(next(), "2.1");
  EXPECT_EQ(loader_.playing_page, 2);

  loader_.playing_page = 0;
  ui_.select_list_item(ids::page_list(2), 4, true);
  EXPECT_EQ(next(), "2.5");
}

TEST_F(NextTrack, AnEmptyVisiblePageStartsNothingEvenWhenOthersHoldTracks) {
  fill(1, 2);
  playlist_.set_visible_page(3);
  EXPECT_EQ(next(), "none");
  EXPECT_EQ(loader_.playing_page, 0);
}

TEST_F(NextTrack, GoesOnAfterTheMarkedEntryThenToTheNextPageOrAroundWithRepeat) {
  fill(1, 3);
  fill(2, 1);
  playlist_.set_visible_page(1);
  EXPECT_EQ(next(), "1.1");
  EXPECT_EQ(next(), "1.2");
  EXPECT_EQ(next(), "1.3");
  EXPECT_EQ(next(), "2.1");  // page 1 has no repeat marker
  EXPECT_EQ(loader_.playing_page, 2);
  EXPECT_EQ(next(), "1.1");  // page 2 ran out: cyclic order comes back to page 1

  repeat(1);
  EXPECT_EQ(ui_.gadget_text(ids::page_label(1)), "Page R");
  EXPECT_EQ(next(), "1.2");
  EXPECT_EQ(next(), "1.3");
  EXPECT_EQ(next(), "1.1");  // with the marker, the page starts again
}

TEST_F(NextTrack, ASingleTrackRepeatsOnlyWithTheMarkerAndPlaybackEndsWithoutOne) {
  fill(4, 1);
  playlist_.set_visible_page(4);
  repeat(4);
  EXPECT_EQ(next(), "4.1");
  EXPECT_EQ(next(), "4.1");
  EXPECT_EQ(next(), "4.1");
  repeat(4);  // the marker off again
  EXPECT_EQ(ui_.gadget_text(ids::page_label(4)), "Page");
  EXPECT_EQ(next(), "none");
  EXPECT_EQ(loader_.playing_page, -1);
  EXPECT_EQ(next(), "none");  // played out stays played out
}

TEST_F(NextTrack, SkipsEmptyPagesInCyclicOrder) {
  fill(1, 1);
  fill(3, 1);
  fill(5, 1);
  playlist_.set_visible_page(5);
  EXPECT_EQ(next(), "5.1");
  EXPECT_EQ(next(), "1.1");
  EXPECT_EQ(next(), "3.1");
  EXPECT_EQ(next(), "5.1");
}

TEST_F(NextTrack, APageEmptiedWhileItsTrackPlaysOpensNothingAtTheEnd) {
  fill(1, 2);
  playlist_.set_visible_page(1);
  EXPECT_EQ(next(), "1.1");
  playlist_.clear_page();
  EXPECT_EQ(next(), "none");
  EXPECT_EQ(loader_.playing_page, 1);
}

}  // namespace
}  // namespace sonvale::loading
