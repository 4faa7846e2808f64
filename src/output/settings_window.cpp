#include "output/settings_window.h"

#include <array>
#include <string>
#include <string_view>

#include "output/project_addresses.h"
#include "platform/player_ids.h"

namespace sonvale::output {
namespace {

using platform::Event;
using platform::EventKind;
using platform::GadgetKind;
using platform::Rect;

constexpr int kSide = 600;

constexpr std::array<std::string_view, 16> kManual{
    "[SOUND MODE]  Stop playing and Select",
    "",
    "[Green x 1] Original, only playing, LPF blue",
    "[Green x 2 / 4]  Up sampling mode Green (multi thread)",
    "[Red x 1 / 4] Digital remaster mode Red (multi thread)",
    "[Brown x 2 / 4] Digital remaster mode Brown (multi thread)",
    "[White x 2 / 4] Digital remaster mode White (multi thread)",
    "",
    "[LPF blue] Disable Low path filter",
    "[LPF green] Standard Low path filter for all.",
    "[LPF red] Strong low path filter.",
    "[LPF brown] Standard low path filter for Hi-end. (multi thread)",
    "",
    "Re-select Asio/Wasapi device",
    "[Setting]-[Scan]-[Select]-[Apply]-[Exit]",
    "",
};

std::string manual_text() {
  std::string text;
  for (std::string_view line : kManual) text.append(line).push_back('\n');
  return text + "Developer contact: " + kContactAddress;
}

void build_settings_window(platform::Ui& ui, const OutputChoice& choice) {
  const int w = ids::kSettingsWindow;
  ui.set_default_font(ids::kFontA);
  const std::string version_check =
      std::string("Sonvale version check. Let's go download sites. (Installed Ver") + kInstalledVersion + ")";
  ui.create_gadget(w, ids::kAsioDeviceList, GadgetKind::Combo, Rect{250, 10, 340, 25}, "");
  ui.create_gadget(w, ids::kAsioOption, GadgetKind::Option, Rect{10, 10, 220, 25}, "ASIO Control Deveice");
  ui.create_gadget(w, ids::kWasapiOption, GadgetKind::Option, Rect{10, 50, 220, 25}, "WASAPI Control Deveice");
  ui.create_gadget(w, ids::kWasapiDeviceList, GadgetKind::Combo, Rect{250, 50, 340, 25}, "");
  ui.create_gadget(w, ids::kScanButton, GadgetKind::Button, Rect{250, 90, 340, 30}, "Device All Scan");
  ui.create_gadget(w, ids::kControlPanelButton, GadgetKind::Button, Rect{10, 90, 220, 30}, "ASIO control panel");
  ui.create_gadget(w, ids::kDownloadLinkButton, GadgetKind::Button, Rect{10, 130, 580, 30}, version_check);
  ui.create_gadget(w, ids::kDeveloperLinkButton, GadgetKind::Button, Rect{10, 560, 340, 30},
                   "Developer video, blog and etc (Click)");
  ui.create_gadget(w, ids::kApplyButton, GadgetKind::Button, Rect{390, 560, 80, 30}, "Apply");
  ui.create_gadget(w, ids::kExitButton, GadgetKind::Button, Rect{500, 560, 80, 30}, "Exit");
  ui.create_gadget(w, ids::kManualFrame, GadgetKind::Frame, Rect{10, 190, 580, 360}, "Mini manual");
  ui.set_gadget_font(ids::kManualFrame, ids::kFontB);
  ui.create_gadget(w, ids::kManualText, GadgetKind::Editor, Rect{20, 215, 560, 330}, manual_text());
  if (choice.mode == kOutputAsio) ui.set_gadget_state(ids::kAsioOption, 1);
  if (choice.mode == kOutputWasapi) ui.set_gadget_state(ids::kWasapiOption, 1);
}

}  // namespace

void open_settings_window(platform::Ui& ui, OutputChoice& choice) {
  open_settings_window(ui, choice, DeviceCalls{});
}

void open_settings_window(platform::Ui& ui, OutputChoice& choice, const DeviceCalls& calls) {
  using namespace platform;
  const Rect main = ui.window_rect(ids::kMainWindow);
  const Rect centred{main.x + (main.w - kSide) / 2, main.y + (main.h - kSide) / 2, kSide, kSide};
  if (!ui.open_window(ids::kSettingsWindow, centred, "Audio setting and etc",
                      kWindowTitleBar | kWindowNoCloseBox, ids::kMainWindow))
    return;
  build_settings_window(ui, choice);
  const Rect opened = ui.window_rect(ids::kSettingsWindow);
  const Point offset{opened.x - main.x, opened.y - main.y};

  for (;;) {
    const Event event = ui.wait_event(-1);
    if (event.window != ids::kSettingsWindow) continue;
    if (event.kind == EventKind::WindowMoved) {
      const Rect now = ui.window_rect(ids::kSettingsWindow);
      ui.move_window(ids::kMainWindow, now.x - offset.x, now.y - offset.y);
      continue;
    }
    if (event.kind != EventKind::Gadget) continue;
    switch (event.gadget) {
      case ids::kScanButton: device_all_scan(ui, choice, calls); break;
      case ids::kControlPanelButton: open_asio_control_panel(choice, calls); break;
      case ids::kDownloadLinkButton: ui.open_url(kDownloadUrl); break;
      case ids::kDeveloperLinkButton: ui.open_url(kDeveloperUrl); break;
      case ids::kApplyButton: apply_device_choice(ui, choice, calls); break;
      case ids::kExitButton:
        ui.close_window(ids::kSettingsWindow);
        return;
      default: break;
    }
  }
}

}  // namespace sonvale::output
