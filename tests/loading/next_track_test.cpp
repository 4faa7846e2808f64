// Choosing the next track across the pages: played marks, repeat markers, cyclic
// page order.

#include "loading/next_track.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "audiolib/bass.h"
#include "loading/release_decoder.h"
#include "platform/player_ids.h"
#include "platform/ui_headless.h"
#include "playlist/page_commands.h"
#include "playlist/sort_entries.h"
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

std::uint64_t id_of(const playlist::Playlist& playlist, int page, int index) {
  return playlist.entry(page, index)->id;
}

// The engine opens tracks up to two blocks ahead of the one heard: a skip goes on
// after the entry heard, not after the last one opened.
TEST_F(NextTrack, ASkipGoesOnAfterTheEntryHeardWhateverWasOpenedSince) {
  fill(1, 4);
  fill(2, 1);
  playlist_.set_visible_page(1);
  for (const char* opened : {"1.1", "1.2", "1.3"}) EXPECT_EQ(next(), opened);
  EXPECT_TRUE(go_on_after(loader_, 1, id_of(playlist_, 1, 0)));  // 1.1 is heard
  EXPECT_EQ(next(), "1.2");
  EXPECT_EQ(next(), "1.3");
  EXPECT_EQ(next(), "1.4");
  EXPECT_EQ(next(), "2.1");
  EXPECT_EQ(loader_.playing_page, 2);
  EXPECT_TRUE(go_on_after(loader_, 1, id_of(playlist_, 1, 3)));  // 1.4, the last of its page
  EXPECT_EQ(next(), "2.1");
}

TEST_F(NextTrack, ASkipOnTheVeryLastEntryHasNothingToGoOnWithUnlessItsPageRepeats) {
  fill(3, 2);
  playlist_.set_visible_page(3);
  EXPECT_EQ(next(), "3.1");
  EXPECT_EQ(next(), "3.2");
  EXPECT_EQ(next(), "none");
  EXPECT_EQ(loader_.playing_page, -1);
  EXPECT_TRUE(go_on_after(loader_, 3, id_of(playlist_, 3, 0)));  // 3.1 still heard
  EXPECT_EQ(next(), "3.2");
  EXPECT_FALSE(go_on_after(loader_, 3, id_of(playlist_, 3, 1)));
  repeat(3);
  EXPECT_TRUE(go_on_after(loader_, 3, id_of(playlist_, 3, 1)));
  EXPECT_EQ(next(), "3.1");

  // An entry removed meanwhile: the walk is left as it was.
  const std::uint64_t gone = id_of(playlist_, 3, 1);
  playlist_.set_visible_page(3);
  playlist_.remove_entry(1);
  EXPECT_TRUE(go_on_after(loader_, 3, gone));
  EXPECT_EQ(playlist_.entry(3, 0)->played, 1);
}

TEST_F(NextTrack, ATrackCutShortIsQueuedWithTheLengthItReallyGave) {
  const test::Pcm pcm = test::reference_pcm(44100, 2, 16, 200'000);
  const std::string cut = test::make_fixture(dir_, "cut.flac", test::Encoder::Flac, pcm);
  std::filesystem::resize_file(cut, std::filesystem::file_size(cut) / 2);
  playlist_.set_visible_page(1);
  for (const std::string& path : {cut, wav_}) {
    playlist::PlaylistEntry& e = playlist_.staged();
    e = playlist::PlaylistEntry{};
    e.path = path;
    e.extension = path == cut ? "FLAC" : "WAV";
    e.title = path;
    e.display_text = path;
    playlist_.append_staged();
  }
  next_track_selection(loader_);
  const audiolib::Handle stream = playback_.current_decoder.load();
  ASSERT_NE(stream, 0u);
  // As the engine reads it, to its end.
  std::vector<float> block(1 << 16);
  std::int64_t delivered = 0;
  for (std::int32_t n; (n = audiolib::BASS_ChannelGetData(stream, block.data(), 1 << 18)) > 0;) delivered += n;
  ASSERT_GT(delivered, 0);
  ASSERT_LT(delivered, pcm.frames() * 8);
  EXPECT_EQ(queue_.front()->length, pcm.frames() * 8);  // what the container said

  next_track_selection(loader_);
  const auto records = queue_.records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].length, delivered);
  EXPECT_EQ(records[1].line2, wav_);
}

// The walk chooses an entry under the page lock and opens it outside, which takes
// a while (the file is touched, the decoder opened). Sorts and removals on the main
// thread meanwhile must not make it open or mark another entry than it chose.
TEST_F(NextTrack, TheMarkGoesToTheEntryQueuedWhileTheMainThreadSortsAndRemoves) {
  int added = 0;
  const auto add = [&] {
    playlist::PlaylistEntry& e = playlist_.staged();
    e = playlist::PlaylistEntry{};
    e.path = wav_;
    e.extension = "WAV";
    // An order of its own, and unique however many entries come and go.
    e.title = std::to_string(added * 7919 % 1000) + "." + std::to_string(added);
    e.folder_and_title = std::to_string(1000 - added);
    e.created = added;
    e.display_text = "entry " + std::to_string(added++);
    playlist_.append_staged();
  };
  playlist_.set_visible_page(1);
  for (int i = 0; i < 12; ++i) add();
  repeat(1);

  std::atomic<bool> done{false};
  std::atomic<int> checked{0};
  std::thread engine([&] {
    for (int turn = 0; turn < 150; ++turn) {
      queue_.clear();
      next_track_selection(loader_);
      if (queue_.empty()) continue;
      const std::string queued = queue_.front()->line2;
      playlist_.with_page(1, [&](std::vector<playlist::PlaylistEntry>& entries) {
        int marks = 0;
        bool present = false;
        for (const auto& e : entries) {
          present = present || e.title == queued;
          if (e.played == 1) {
            ++marks;
            EXPECT_EQ(e.title, queued) << "turn " << turn;
          }
        }
        // The entry opened may have been removed since; then nothing is marked.
        EXPECT_EQ(marks, present ? 1 : 0) << "turn " << turn;
        return 0;
      });
      ++checked;
    }
    done = true;
  });

  const int orders[] = {playlist::kSortByName, playlist::kSortByFolder, playlist::kSortByMade};
  for (int round = 0; !done.load(); ++round) {
    playlist_.sort_page(orders[round % 3]);
    if (round % 4 == 3) {
      playlist_.remove_entry(round % static_cast<int>(playlist_.size(1)));
      add();
    }
  }
  engine.join();
  EXPECT_GT(checked.load(), 100);
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < playlist_.size(1); ++i) texts.push_back(playlist_.entry(1, static_cast<int>(i))->display_text);
  std::vector<std::string> listed;
  for (int i = 0; i < ui_.list_item_count(ids::page_list(1)); ++i) listed.push_back(ui_.list_item_text(ids::page_list(1), i));
  EXPECT_EQ(listed, texts);  // the list gadget still mirrors its page
}

}  // namespace
}  // namespace sonvale::loading
