// Requests of the desktop's media controls taken by the main window's loop on the
// headless backend: the same commands as the buttons, on the same conditions.

#include "shell/media_requests.h"

#include <gtest/gtest.h>

#include "engine/sample_format.h"
#include "event_loop_fixture.h"
#include "support/audio_fixtures.h"

namespace sonvale::shell {
namespace {

using platform::MediaRequest;
using Status = platform::MediaState::Status;

class MediaRequests : public EventLoopFixture {
 protected:
  // A request and the pass that takes it; false when the loop would end.
  bool request(MediaRequest r, int value = 0) {
    platform::Event event(platform::EventKind::MediaRequest);
    event.detail = static_cast<int>(r);
    event.value = value;
    ui_.inject(event);
    return pass();
  }
  platform::MediaState state() const { return media_state(app_); }
  bool panel_shows(const std::string& text) const {
    for (const platform::ImageOp& op : ui_.image_ops(ids::kPanelImage))
      if (op.kind == platform::ImageOp::Kind::Text && op.text == text) return true;
    return false;
  }
};

TEST_F(MediaRequests, PlayPauseNextAndStopFollowTheButtons) {
  sonvale::test::TempDir dir;
  // Longer than two blocks, so that it is still the track heard when Next comes.
  sonvale::test::write_wav(dir.file("long.wav"),
                           sonvale::test::reference_pcm(44100, 2, 16, 2 * engine::kBlockFrames + 1000));
  sonvale::test::write_wav(dir.file("short.wav"), sonvale::test::reference_pcm(44100, 2, 16, 5 * 44100));
  platform::Event drop(platform::EventKind::FilesDropped, ids::kMainWindow);
  drop.files = {dir.file("long.wav"), dir.file("short.wav")};
  ui_.inject(drop);
  pass();
  ASSERT_EQ(app_.playlist.size(1), 2u);
  click(ids::kSelectorX1);  // Green x 1: nothing to compute, a quick start
  use_null_output();

  EXPECT_EQ(state().status, Status::Stopped);
  EXPECT_FALSE(state().can_go_next);
  request(MediaRequest::Pause);  // nothing plays: nothing to pause
  request(MediaRequest::Next);
  EXPECT_EQ(app_.loader.playing_page, 0);

  request(MediaRequest::PlayPause);
  ASSERT_TRUE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_EQ(app_.banner_flag, 0);  // as PLAY does
  pass();
  platform::MediaState playing = state();
  EXPECT_EQ(playing.status, Status::Playing);
  EXPECT_EQ(playing.title, "long");
  EXPECT_EQ(playing.album, dir.path().substr(dir.path().rfind('/') + 1));
  EXPECT_EQ(playing.length_us, (2 * std::int64_t{engine::kBlockFrames} + 1000) * 1'000'000 / 44100);
  EXPECT_TRUE(playing.can_go_next);
  EXPECT_TRUE(playing.can_pause);
  EXPECT_FALSE(playing.can_play);

  request(MediaRequest::Play);  // PLAY while playing does nothing
  EXPECT_EQ(text(ids::kPauseButton), "PAUSE");
  request(MediaRequest::Pause);
  EXPECT_EQ(text(ids::kPauseButton), "PAUSED");
  EXPECT_EQ(state().status, Status::Paused);
  EXPECT_TRUE(state().can_play);
  request(MediaRequest::Pause);  // already paused
  EXPECT_EQ(text(ids::kPauseButton), "PAUSED");
  request(MediaRequest::Play);  // resumes
  EXPECT_EQ(text(ids::kPauseButton), "PAUSE");
  request(MediaRequest::PlayPause);
  EXPECT_EQ(text(ids::kPauseButton), "PAUSED");

  request(MediaRequest::Next);  // SKIP, which also lifts the pause
  ASSERT_TRUE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_EQ(text(ids::kPauseButton), "PAUSE");
  pass();
  EXPECT_EQ(state().title, "short");
  EXPECT_TRUE(panel_shows("short"));

  request(MediaRequest::Stop);
  EXPECT_FALSE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_EQ(app_.loader.playing_page, 0);
  EXPECT_EQ(state().status, Status::Stopped);
  EXPECT_TRUE(state().title.empty());
}

TEST_F(MediaRequests, WithoutThePauseButtonNothingPauses) {
  app_.loader.playing_page = 1;  // as if a track played
  ui_.hide_gadget(ids::kPauseButton, true);
  request(MediaRequest::Pause);
  request(MediaRequest::PlayPause);
  EXPECT_EQ(text(ids::kPauseButton), "PAUSE");
  EXPECT_FALSE(state().can_pause);
  EXPECT_EQ(state().status, Status::Playing);
  app_.loader.playing_page = 0;
}

TEST_F(MediaRequests, VolumeTakesTheStepsLabel) {
  request(MediaRequest::Volume, 15);
  EXPECT_EQ(app_.player.volume, 0.5f);
  EXPECT_EQ(ui_.gadget_text_colour(ids::volume_step(15)), platform::kWhite);
  EXPECT_EQ(ui_.gadget_text_colour(ids::volume_step(30)), 0xA0A0A0u);
  EXPECT_EQ(state().volume_step, 15);
  request(MediaRequest::Volume, 31);  // no such step
  EXPECT_EQ(app_.player.volume, 0.5f);
}

TEST_F(MediaRequests, RaiseLeavesMiniModeAndQuitIsACloseRequest) {
  click(ids::kMiniModeButton);
  ASSERT_TRUE(app_.mini_mode);
  EXPECT_FALSE(state().can_quit);
  EXPECT_TRUE(request(MediaRequest::Quit));  // let go in mini mode, as a close request is
  request(MediaRequest::Volume, 3);          // the media keys work on in mini mode
  EXPECT_EQ(state().volume_step, 3);

  EXPECT_TRUE(request(MediaRequest::Raise));
  EXPECT_FALSE(app_.mini_mode);
  EXPECT_TRUE(ui_.is_window_visible(ids::kMainWindow));
  EXPECT_FALSE(ui_.is_window_visible(ids::kMiniWindow));
  EXPECT_EQ(ui_.foreground_window(), ids::kMainWindow);
  EXPECT_TRUE(state().can_quit);
  EXPECT_FALSE(request(MediaRequest::Quit));
}

}  // namespace
}  // namespace sonvale::shell
