#include "shell/click_chain.h"

#include "audiolib/bass_cd.h"
#include "loading/next_track.h"
#include "output/card_borrowing.h"
#include "output/settings_window.h"
#include "output/start_playback.h"
#include "output/stop_playback.h"
#include "output/transport.h"
#include "platform/files.h"
#include "platform/player_ids.h"
#include "platform/time.h"
#include "playlist/add_tracks.h"
#include "playlist/page_commands.h"
#include "shell/folder_picker.h"
#include "shell/main_window.h"
#include "shell/mini_window.h"
#include "shell/selectors.h"

namespace sonvale::shell {
namespace {

constexpr const char* kFolderPickerTitle = "Open Audio WAV/MP3/OGG/FLAC/M4A/AAC/WMA/CDA/WV folders";

bool playing(const App& app) { return app.loader.playing_page.load() != 0; }

void reset_pause_label(App& app) { app.ui.set_gadget_text(ids::kPauseButton, "PAUSE"); }

// The first click on the banner (or PLAY) puts the plain panel in place of the
// launch counter's picture.
void banner_click(App& app) {
  platform::Ui& ui = app.ui;
  if (ui.gadget_image(ids::kCounterLabel) == ids::kLaunchCounterImage) ui.hide_gadget(ids::kCounterLabel, true);
  app.banner_flag = 0;
  if (app.counter_picture_flag.load() == 1 && ui.gadget_image(ids::kBanner) == ids::kCounterImage)
    ui.set_gadget_image(ids::kBanner, ids::kBlankPanelImage);
}

void end_playback(App& app, int keep_marks) {
  output::stop_playback(app.player, keep_marks);
  app.play_queue.clear();
  output::paint_transport_buttons(app.ui, 0);
}

void enter_mini_mode(App& app) {
  app.mini_mode = true;
  app.ui.show_window(ids::kMainWindow, platform::ShowCommand::Hide);
  app.ui.show_window(ids::kMiniWindow, platform::ShowCommand::Show);
}

// One row of the chain: the gadget, whether it takes the click now, what it does.
struct Row {
  int gadget;
  bool (*applies)(const App&);
  void (*action)(App&, int gadget);
};

bool always(const App&) { return true; }
bool while_playing(const App& app) { return playing(app); }
bool while_idle(const App& app) { return !playing(app); }
bool while_banner(const App& app) { return app.banner_flag.load() == 1; }

void page_label_click(App& app, int gadget) {
  const int page = gadget - ids::kFirstPageLabel + 1;
  app.playlist.set_visible_page(page);
  show_page(app.ui, page);
}

const Row kChain[] = {
    {ids::page_label(1), always, page_label_click},
    {ids::page_label(2), always, page_label_click},
    {ids::page_label(3), always, page_label_click},
    {ids::page_label(4), always, page_label_click},
    {ids::page_label(5), always, page_label_click},
    {ids::kSortButton, always, [](App& a, int) { playlist::sort_button_command(a.playlist); }},
    {ids::kBanner, while_banner, [](App& a, int) { banner_click(a); }},
    {ids::kClearButton, always, [](App& a, int) { playlist::clear_command(a.playlist); }},
    {ids::kSkipButton, while_playing, [](App& a, int) { skip_command(a); }},
    {ids::kRepeatButton, always, [](App& a, int) { playlist::repeat_command(a.playlist); }},
    {ids::kSettingButton, always, [](App& a, int) { output::open_settings_window(a.ui, a.output); }},
    {ids::kPauseButton, while_playing, [](App& a, int) { output::pause_toggle(a.player); }},
    {ids::kStopButton, always, [](App& a, int) { stop_command(a); }},
    {ids::kPlayButton, while_idle, [](App& a, int) { play_command(a); }},
    {ids::kSelectorX1, while_idle, [](App& a, int) { step_x1_selector(a.ui, a.playback); }},
    {ids::kSelectorX2, while_idle, [](App& a, int) { step_x2_selector(a.ui, a.playback); }},
    {ids::kSelectorX4, while_idle, [](App& a, int) { step_x4_selector(a.ui, a.playback); }},
    {ids::kLpfButton, while_idle, [](App& a, int) { step_post_filter(a.ui, a.playback); }},
    {ids::kAddFilesButton, always, [](App& a, int) { playlist::add_files(a.playlist); }},
    {ids::kAddFoldersButton, always,
     [](App& a, int) {
       playlist::add_folders(a.playlist, folder_picker(a.ui, platform::documents_folder(), kFolderPickerTitle,
                                                       audiolib::cd_devices_with_audio()));
     }},
    {ids::kMiniModeButton, always, [](App& a, int) { enter_mini_mode(a); }},
};

}  // namespace

void run_click_chain(App& app) {
  for (const Row& row : kChain) {
    if (!app.ui.cursor_on_gadget(row.gadget)) continue;
    if (row.applies(app)) row.action(app, row.gadget);
    return;
  }
  for (int step = 0; step <= 30; ++step) {
    if (app.ui.cursor_on_gadget(ids::volume_step(step))) {
      output::set_volume_step(app.player, step);
      return;
    }
  }
}

void skip_command(App& app) {
  platform::Ui& ui = app.ui;
  reset_pause_label(app);
  ui.set_gadget_back_colour(ids::kSkipButton, platform::kNavy);
  ui.drop_pending_events();
  // The engine reads up to two blocks ahead, so the playing page and the played marks
  // are already past the track being heard: the restart goes on after the one heard.
  const std::optional<loading::PlayRecord> heard = app.play_queue.front();
  end_playback(app, 1);
  const bool follows = heard ? loading::go_on_after(app.loader, heard->origin.page, heard->origin.entry)
                             : app.loader.playing_page.load() != -1;
  if (follows) {
    output::start_playback(app.player, 1);
  } else {
    output::return_card(app.player);  // kept through the stop for a restart
    app.playlist.clear_played_marks();
    app.loader.playing_page = 0;
  }
}

void stop_command(App& app) {
  if (playing(app)) {
    end_playback(app, 0);
    app.ui.set_gadget_text(ids::kRateDisplay, "0");
    app.loader.playing_page = 0;
  }
  reset_pause_label(app);
}

void play_command(App& app) {
  if (app.banner_flag.load() == 1) banner_click(app);
  output::start_playback(app.player, 0);
  reset_pause_label(app);
}

void leave_mini_mode(App& app) {
  platform::Ui& ui = app.ui;
  ui.show_window(ids::kMiniWindow, platform::ShowCommand::Hide);
  restore_from_mini_mode(ui);
  ui.show_window(ids::kMainWindow, platform::ShowCommand::Show);
  app.mini_mode = false;
}

}  // namespace sonvale::shell
