#include "output/device_selection.h"

#include <algorithm>
#include <optional>
#include <string>

#include "platform/interface_fonts.h"
#include "platform/player_ids.h"

namespace sonvale::output {
namespace {

using platform::Event;
using platform::EventKind;
using platform::Rect;

constexpr int kWindowSide = 650;
constexpr int kRowPitch = 40;
constexpr int kExitShortcut = 1;

// The rows of the list, numbering the gadgets and placing them.
class DeviceRows {
 public:
  explicit DeviceRows(platform::Ui& ui) : ui_(ui) {}

  void add(std::string_view path, std::string_view name) {
    if (row_ >= ids::kMostDeviceRows) return;
    const int y = kRowPitch * row_ + 10;
    ui_.create_gadget(ids::kDeviceWindow, ids::device_path_label(row_), platform::GadgetKind::Text,
                      Rect{5, y, 80, 25}, path);
    ui_.set_gadget_text_colour(ids::device_path_label(row_), platform::kWhite);
    ui_.set_gadget_back_colour(ids::device_path_label(row_), platform::kNavy);
    ui_.create_gadget(ids::kDeviceWindow, ids::device_button(row_), platform::GadgetKind::Button,
                      Rect{90, y, 550, 25}, name);
    ++row_;
  }
  void skip() { ++row_; }
  int count() const { return std::min(row_, ids::kMostDeviceRows); }

 private:
  platform::Ui& ui_;
  int row_ = 0;
};

void fill_rows(const DeviceCalls& calls, const AsioDeviceTable& table, DeviceRows& rows) {
  for (const audiolib::AsioDeviceInfo& driver : table)
    if (!driver.name.empty()) rows.add("ASIO", driver.name);
  audiolib::WasapiDeviceInfo device;
  if (!calls.wasapi_device_info(0, &device)) return;
  rows.skip();
  for (int i = 0; calls.wasapi_device_info(i, &device); ++i)
    if (is_usable_wasapi(device.flags)) rows.add("WASAPI", device.name);
}

// A list longer than the window grows it downwards, so that every row can be
// reached, and centres it again.
void fit_rows(platform::Ui& ui, int rows) {
  const int needed = kRowPitch * rows + 10;
  if (needed <= kWindowSide) return;
  ui.resize_window(ids::kDeviceWindow, kWindowSide, needed);
  const Rect desktop = ui.desktop_rect();
  ui.move_window(ids::kDeviceWindow, desktop.x + (desktop.w - kWindowSide) / 2,
                 std::max(desktop.y, desktop.y + (desktop.h - needed) / 2));
}

// The device a button names: the first of its path, in index order, with that name.
bool choose(const DeviceCalls& calls, const std::string& path, const std::string& name,
            OutputChoice& choice) {
  if (path == "ASIO") {
    for (int i = 0; i < kAsioTableSize; ++i)
      if (choice.asio_table[static_cast<std::size_t>(i)].name == name) {
        choice.mode = kOutputAsio;
        choice.asio_device = i;
        return true;
      }
  } else if (path == "WASAPI") {
    audiolib::WasapiDeviceInfo device;
    for (int i = 0; calls.wasapi_device_info(i, &device); ++i)
      if (is_usable_wasapi(device.flags) && device.name == name) {
        choice.mode = kOutputWasapi;
        choice.wasapi_device = i;
        return true;
      }
  }
  return false;
}

bool leave(platform::Ui& ui, bool chosen) {
  ui.set_window_topmost(ids::kDeviceWindow, false);
  ui.remove_shortcuts(ids::kDeviceWindow);
  ui.close_window(ids::kDeviceWindow);
  return chosen;
}

}  // namespace

void fill_asio_table(const DeviceCalls& calls, AsioDeviceTable& table) {
  for (int i = 0; i < kAsioTableSize; ++i) {
    audiolib::AsioDeviceInfo& entry = table[static_cast<std::size_t>(i)];
    if (!calls.asio_device_info(i, &entry)) entry = {};
  }
}

bool select_output_device(platform::Ui& ui, OutputChoice& choice) {
  return select_output_device(ui, choice, DeviceCalls{});
}

bool select_output_device(platform::Ui& ui, OutputChoice& choice, const DeviceCalls& calls) {
  using namespace platform;
  create_interface_fonts(ui);
  ui.open_window(ids::kDeviceWindow, Rect{0, 0, kWindowSide, kWindowSide},
                 "Please select audio device.  ( X = Exit )", kWindowCentred | kWindowTitleBar);
  ui.set_window_colour(ids::kDeviceWindow, 0x400040);
  ui.set_default_font(ids::kFontA);

  fill_asio_table(calls, choice.asio_table);
  DeviceRows rows(ui);
  fill_rows(calls, choice.asio_table, rows);
  if (rows.count() == 0) {
    ui.message_box("This app support ASIO2 and WASAPI devices.",
                   "Please install ASIO2 compatible driver. ASIO4ALL or ASIOKS, etc.\r\n\r\n"
                   "Could you buy Pellarin?",
                   kIconError);
    return leave(ui, false);
  }
  fit_rows(ui, rows.count());
  ui.set_window_topmost(ids::kDeviceWindow, true);
  ui.add_shortcut(ids::kDeviceWindow, 'X', kExitShortcut);

  for (;;) {
    const Event event = ui.wait_event(-1);
    if (event.window != ids::kDeviceWindow) continue;
    if (event.kind == EventKind::CloseWindow) return leave(ui, false);
    if (event.kind == EventKind::Shortcut && event.shortcut == kExitShortcut) return leave(ui, false);
    if (event.kind != EventKind::Gadget) continue;
    const int row = event.gadget - ids::kFirstDeviceButton;
    if (row < 0 || row >= rows.count()) continue;
    if (choose(calls, ui.gadget_text(ids::device_path_label(row)), ui.gadget_text(event.gadget), choice))
      return leave(ui, true);
  }
}

}  // namespace sonvale::output
