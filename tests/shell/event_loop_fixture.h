#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "audiolib/asio.h"
#include "platform/interface_fonts.h"
#include "platform/player_ids.h"
#include "platform/ui_headless.h"
#include "shell/app.h"
#include "shell/event_loop.h"
#include "shell/main_window.h"
#include "shell/mini_window.h"
#include "shell/startup.h"

namespace sonvale::shell {

// The main window and the mini window on the headless backend, with the loop
// prepared as it is before its first pass.
class EventLoopFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    StartupOptions options = default_startup_options();
    options.terminal = true;
    ASSERT_EQ(start_up(app_, options), StartupOutcome::Continue);
    platform::create_interface_fonts(ui_);
    build_main_window(ui_);
    build_mini_window(ui_);
    ui_.show_window(ids::kMainWindow, platform::ShowCommand::Show);
    prepare_event_loop(app_);
  }

  // A click on a gadget and the pass that takes it; false when the loop would end.
  bool click(int gadget) {
    ui_.click_gadget(gadget);
    return pass();
  }
  bool pass() { return event_loop_pass(app_, passes_); }
  // A file dropped on the main window, and the pass that takes it.
  void drop(const std::string& path) {
    platform::Event event(platform::EventKind::FilesDropped, ids::kMainWindow);
    event.files = {path};
    ui_.inject(event);
    pass();
  }

  void use_null_output() {
    audiolib::AsioDeviceInfo info;
    for (int i = 0; audiolib::BASS_ASIO_GetDeviceInfo(i, &info); ++i)
      if (info.name == "Null output") app_.output.asio_device = i;
    app_.output.mode = output::kOutputAsio;
  }

  std::string text(int gadget) const { return ui_.gadget_text(gadget); }
  platform::Colour back(int gadget) const { return ui_.gadget_back_colour(gadget); }

  void add_entries(int page, std::initializer_list<const char*> titles) {
    app_.playlist.set_visible_page(page);
    for (const char* title : titles) {
      playlist::PlaylistEntry& e = app_.playlist.staged();
      e = playlist::PlaylistEntry{};
      e.path = "x.wav";
      e.extension = "WAV";
      e.title = title;
      e.folder_and_title = title;
      e.display_text = title;
      app_.playlist.append_staged();
    }
  }

  platform::HeadlessUi ui_;
  App app_{ui_};
  int passes_ = 0;
};

}  // namespace sonvale::shell
