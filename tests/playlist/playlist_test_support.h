#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "audiolib/bass.h"
#include "platform/player_ids.h"
#include "platform/ui_headless.h"
#include "playlist/playlist.h"
#include "support/audio_fixtures.h"

namespace sonvale::playlist {

// The main window's page lists and sort button on the headless backend, a playlist
// over them, and the decoding library ready.
class PlaylistTest : public ::testing::Test {
 protected:
  PlaylistTest() {
    ui_.open_window(ids::kMainWindow, platform::Rect{0, 0, 700, 700}, "Sonvale", 0);
    for (int page = 1; page <= kPageCount; ++page)
      ui_.create_gadget(ids::kMainWindow, ids::page_list(page), platform::GadgetKind::List,
                        platform::Rect{20, 250, 660, 400}, "");
    ui_.create_gadget(ids::kMainWindow, ids::kSortButton, platform::GadgetKind::Text,
                      platform::Rect{400, 660, 110, 25}, "Sort by name");
  }
  void SetUp() override { ASSERT_TRUE(audiolib::BASS_Init(0, 48000, 0, nullptr, nullptr)); }
  void TearDown() override { audiolib::BASS_Free(); }

  // The texts of a page's list gadget, in order.
  std::vector<std::string> list_texts(int page) const;
  // The entries of a page, copied.
  std::vector<PlaylistEntry> entries(int page) const;
  // A WAV file of the reference signal at `rate`, short.
  std::string wav_at(const std::string& path, int rate) const;

  platform::HeadlessUi ui_;
  std::atomic<std::int32_t> source_rate_{0};
  Playlist playlist_{ui_, source_rate_};
  test::TempDir dir_;
};

}  // namespace sonvale::playlist
