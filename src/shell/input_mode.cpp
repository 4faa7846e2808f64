#include "shell/input_mode.h"

#include <iterator>
#include <mutex>
#include <optional>

#include "audiolib/asio.h"
#include "audiolib/record.h"
#include "audiolib/record_catalog.h"
#include "audiolib/wasapi.h"
#include "output/calibration.h"
#include "output/live_capture.h"
#include "output/start_live_output.h"
#include "output/stop_playback.h"
#include "platform/player_ids.h"
#include "platform/time.h"
#include "shell/click_chain.h"
#include "shell/live_selectors.h"
#include "shell/main_window.h"
#include "shell/mini_window.h"

namespace sonvale::shell {
namespace {

constexpr int kWaitMs = 10;
constexpr int kMiniModeWaitMs = 1;
constexpr int kCalibrationLookMs = 100;
constexpr int kOrbGap = 40;
constexpr std::int32_t kLiveRate = 44100;
// Adjust and Clear wait this long after another recording device was chosen.
constexpr std::uint32_t kDeviceSettleMs = 3000;

// The playlist and transport controls that make way for the mode's own.
constexpr int kHiddenInTheMode[] = {ids::page_list(1),  ids::page_list(2),   ids::page_list(3),
                                    ids::page_list(4),  ids::page_list(5),   ids::page_label(1),
                                    ids::page_label(2), ids::page_label(3),  ids::page_label(4),
                                    ids::page_label(5), ids::kAddFilesButton, ids::kAddFoldersButton,
                                    ids::kClearButton,  ids::kSortButton,    ids::kPauseButton,
                                    ids::kSkipButton,   ids::kRepeatButton,  ids::kPlayButton,
                                    ids::kStopButton,   ids::kSettingButton};
constexpr bool is_page_list(int gadget) {
  return gadget >= ids::page_list(1) && gadget <= ids::page_list(5);
}
constexpr int kModeControls[] = {ids::kRecordingDeviceList, ids::kInputList, ids::kInputIllustration,
                                 ids::kAdjustButton, ids::kInputClearButton};

class InputMode {
 public:
  explicit InputMode(App& app)
      : app_(app), ui_(app.ui), player_(app.player), calibration_(app.input_mode.calibration) {}

  bool run();

 private:
  void enter();
  void leave();
  void close();

  void fill_lists();
  void list_inputs(int device);
  void device_chosen();
  bool devices_settled() const;

  // A left press: the mode's controls in their order; the first shown one under the
  // pointer takes it.
  void click();
  bool hit(int gadget) const { return !ui_.is_gadget_hidden(gadget) && ui_.cursor_on_gadget(gadget); }
  void adjust();
  bool look_during_calibration();
  void clear();
  void play();
  void stop();
  void set_volume(int step);

  void show(int gadget, bool shown) { ui_.hide_gadget(gadget, !shown); }

  App& app_;
  platform::Ui& ui_;
  output::Player& player_;
  output::Calibration& calibration_;
  std::int32_t saved_source_rate_ = 0;
  bool hidden_on_entry_[std::size(kHiddenInTheMode)] = {};
  // Between PLAY and STOP of a live run.
  bool live_ = false;
  // When another recording device was last chosen; none yet in this visit.
  std::optional<std::uint32_t> list_change_time_;
};

bool InputMode::run() {
  enter();
  for (;;) {
    // A device that went away ends the live run as STOP would.
    if (live_ && (output::output_was_lost(player_) || output::capture_was_lost())) stop();

    if (app_.mini_mode) {
      follow_pointer(ui_, ids::kMiniWindow, kOrbGap);
      const platform::Event event = ui_.wait_event(kMiniModeWaitMs);
      if (event.kind == platform::EventKind::Gadget && event.gadget == ids::kOrbButton) leave_mini_mode(app_);
      continue;  // whatever else came is let go, in mini mode
    }

    const platform::Event event = ui_.wait_event(kWaitMs);
    switch (event.kind) {
      case platform::EventKind::Gadget:
        if (event.gadget == ids::kRecordingDeviceList) device_chosen();
        break;
      case platform::EventKind::LeftButtonDown:
        if (ui_.cursor_on_window(ids::kMainWindow)) click();
        break;
      case platform::EventKind::RightButtonDown:
        if (!live_ && ui_.cursor_on_window(ids::kMainWindow) && ui_.cursor_on_gadget(ids::kLogo)) {
          leave();
          return true;
        }
        break;
      case platform::EventKind::CloseWindow:
        close();
        return false;
      default:
        break;
    }
  }
}

void InputMode::enter() {
  engine::PlaybackState& playback = app_.playback;
  saved_source_rate_ = playback.source_rate.load();
  playback.source_rate = kLiveRate;
  for (std::size_t i = 0; i < std::size(kHiddenInTheMode); ++i) {
    hidden_on_entry_[i] = ui_.is_gadget_hidden(kHiddenInTheMode[i]);
    show(kHiddenInTheMode[i], false);
  }
  for (int gadget : kModeControls) show(gadget, true);
  ui_.disable_gadget(ids::kRecordingDeviceList, false);
  ui_.disable_gadget(ids::kInputList, false);
  show_live_modes_on_entry(ui_, playback);
  ui_.drop_pending_events();
  output::load_test_tone();
  fill_lists();
}

void InputMode::leave() {
  output::free_test_tone();
  app_.playback.source_rate = saved_source_rate_;
  for (int gadget : kModeControls) show(gadget, false);
  show_page(ui_, app_.playlist.visible_page());
  // Each control as it was: the PAUSE button stays hidden for WASAPI output.
  for (std::size_t i = 0; i < std::size(kHiddenInTheMode); ++i)
    if (!is_page_list(kHiddenInTheMode[i])) show(kHiddenInTheMode[i], !hidden_on_entry_[i]);
  relight_shown_mode(ui_, app_.playback);
}

// The program ends: everything the mode started is let go first.
void InputMode::close() {
  audiolib::BASS_RecordFree();
  output::stop_playback(player_, 0);
  {
    std::lock_guard guard(app_.playback.capture_lock);
    app_.playback.capture_fill = 0;
  }
  output::free_test_tone();
  output::stop_playback(player_, 0);
}

// The recording devices, the first chosen, and its inputs. The list is taken from
// the sound cards afresh, so that a device plugged in meanwhile shows.
void InputMode::fill_lists() {
  audiolib::rescan_record_devices();
  ui_.clear_list(ids::kRecordingDeviceList);
  audiolib::BASS_RecordInit(0);
  audiolib::RecordDeviceInfo info;
  for (int device = 0; audiolib::BASS_RecordGetDeviceInfo(device, &info); ++device)
    ui_.add_list_item(ids::kRecordingDeviceList, info.name);
  ui_.select_list_item(ids::kRecordingDeviceList, 0, true);
  audiolib::BASS_RecordFree();
  list_inputs(0);
}

void InputMode::list_inputs(int device) {
  ui_.clear_list(ids::kInputList);
  audiolib::BASS_RecordInit(device);
  for (int input = 0; const auto name = audiolib::BASS_RecordGetInputName(input); ++input)
    ui_.add_list_item(ids::kInputList, *name);
  audiolib::BASS_RecordFree();
  ui_.select_list_item(ids::kInputList, 0, true);
}

void InputMode::device_chosen() {
  list_inputs(ui_.selected_list_item(ids::kRecordingDeviceList));
  list_change_time_ = app_.input_mode.tick_count();
}

bool InputMode::devices_settled() const {
  return !list_change_time_ || app_.input_mode.tick_count() - *list_change_time_ >= kDeviceSettleMs;
}

void InputMode::click() {
  engine::PlaybackState& playback = app_.playback;
  const bool selectors_free = !live_ && app_.loader.playing_page.load() == 0;
  if (hit(ids::kInputClearButton)) return clear();
  if (hit(ids::kAdjustButton)) return adjust();
  if (hit(ids::kPlayButton)) return play();
  if (hit(ids::kStopButton)) return stop();
  if (hit(ids::kSelectorX1)) return selectors_free ? step_live_x1(ui_, playback) : void();
  if (hit(ids::kSelectorX2)) return selectors_free ? step_live_x2(ui_, playback) : void();
  if (hit(ids::kSelectorX4)) return selectors_free ? step_live_x4(ui_, playback) : void();
  if (hit(ids::kLpfButton)) return selectors_free ? step_live_post_filter(ui_, playback) : void();
  if (hit(ids::kMiniModeButton)) {
    app_.mini_mode = true;
    ui_.show_window(ids::kMainWindow, platform::ShowCommand::Hide);
    ui_.show_window(ids::kMiniWindow, platform::ShowCommand::Show);
    return;
  }
  for (int step = 0; step <= 30; ++step)
    if (hit(ids::volume_step(step))) return set_volume(step);
  // A press on none of them brings the window back where the mini window last was,
  // inside the screen.
  restore_from_mini_mode(ui_);
}

void InputMode::adjust() {
  if (!devices_settled()) return;
  ui_.disable_gadget(ids::kRecordingDeviceList, true);
  ui_.disable_gadget(ids::kInputList, true);
  const bool calibrated = output::calibrate(calibration_, ui_.selected_list_item(ids::kRecordingDeviceList),
                                            ui_.selected_list_item(ids::kInputList),
                                            [this] { return look_during_calibration(); });
  if (!calibrated) {
    // The device does not record: another may be chosen.
    ui_.disable_gadget(ids::kRecordingDeviceList, false);
    ui_.disable_gadget(ids::kInputList, false);
    return;
  }
  show(ids::kAdjustButton, false);
  show(ids::kPlayButton, true);
  show(ids::kStopButton, true);
}

// One look of a calibration phase: a right click ends the phase. A close request
// ends it too, and waits for the mode's loop to close the program.
bool InputMode::look_during_calibration() {
  platform::sleep_ms(kCalibrationLookMs);
  const platform::Event event = ui_.wait_event(0);
  if (event.kind == platform::EventKind::CloseWindow) {
    ui_.inject(event);
    return false;
  }
  return event.kind != platform::EventKind::RightButtonDown;
}

void InputMode::clear() {
  if (!devices_settled()) return;
  show(ids::kPlayButton, false);
  show(ids::kStopButton, false);
  ui_.disable_gadget(ids::kRecordingDeviceList, false);
  ui_.disable_gadget(ids::kInputList, false);
  show(ids::kAdjustButton, true);
  fill_lists();
}

void InputMode::play() {
  const float volume = calibration_.input_volume.load();
  if (!(volume > 0.0f)) return;
  show(ids::kPlayButton, false);
  show(ids::kInputClearButton, false);
  show(ids::kStopButton, false);
  show(ids::kCaptureFillBar, true);
  ui_.drop_pending_events();
  live_ = true;
  if (!output::start_capture(player_, ui_.selected_list_item(ids::kRecordingDeviceList),
                             ui_.selected_list_item(ids::kInputList), volume)) {
    // Without a recording the first block would never come: nothing starts.
    live_ = false;
    show(ids::kCaptureFillBar, false);
    show(ids::kPlayButton, true);
    show(ids::kInputClearButton, true);
    show(ids::kStopButton, true);
    return;
  }
  app_.playback.source_rate = kLiveRate;
  output::start_live_output(player_);
  show(ids::kPlayButton, false);
  show(ids::kInputClearButton, false);
  show(ids::kStopButton, true);
}

void InputMode::stop() {
  if (!live_) return;
  output::stop_live_run(player_);
  live_ = false;
  show(ids::kCaptureFillBar, false);
  show(ids::kPlayButton, true);
  show(ids::kInputClearButton, true);
}

// The volume reaches a live run's device at once, as it reaches a playing track's.
void InputMode::set_volume(int step) {
  output::set_volume_step(player_, step);
  if (!live_ || !player_.device_started) return;
  if (app_.output.mode == output::kOutputAsio)
    audiolib::BASS_ASIO_ChannelSetVolume(false, -1, player_.volume);
  else if (app_.output.mode == output::kOutputWasapi)
    audiolib::BASS_WASAPI_SetVolume(audiolib::kWasapiCurveLinear, player_.volume);
}

}  // namespace

bool enter_input_mode(App& app) {
  InputMode mode(app);
  return mode.run();
}

}  // namespace sonvale::shell
