#include "shell/main_window_gadgets.h"

#include <array>

#include "platform/player_ids.h"
#include "playlist/page_style.h"

namespace sonvale::shell {
namespace {

using platform::GadgetKind;
using platform::kNavy;
using platform::kWhite;
using platform::Rect;
using platform::rgb;

constexpr auto kText = GadgetKind::Text;
constexpr int kB = ids::kFontB;

constexpr std::array kModeRow{
    GadgetSpec{ids::kSelectorX1, kText, Rect{10, 31, 100, 20}, "x 1", -1, kWhite, kNavy},
    GadgetSpec{ids::kSelectorX2, kText, Rect{130, 31, 100, 20}, "x 2", -1, kWhite, kNavy},
    GadgetSpec{ids::kSelectorX4, kText, Rect{250, 31, 100, 20}, "x 4", -1, kWhite, kNavy},
    GadgetSpec{ids::kRateDisplay, kText, Rect{370, 31, 75, 20}, "0", -1, kWhite, kNavy},
    GadgetSpec{ids::kLpfButton, kText, Rect{460, 31, 50, 20}, "LPF", -1, kWhite, kNavy},
    GadgetSpec{ids::kMiniModeButton, kText, Rect{525, 31, 50, 20}, "( O )", -1, kWhite, kNavy},
    GadgetSpec{ids::kSettingButton, kText, Rect{590, 31, 70, 20}, "Setting", -1, kWhite, kNavy},
};

// Pictures take no clicks of their own: a press on them reaches the window.
constexpr std::array kPictureRow{
    GadgetSpec{ids::kLogo, GadgetKind::Image, Rect{5, 60, 140, 70}, "", -1, {}, {}, ids::kLogoImage,
               false, true},
    GadgetSpec{ids::kCounterLabel, GadgetKind::Image, Rect{5, 130, 140, 30}, "", -1, {}, {},
               ids::kLaunchCounterImage, false, true},
    GadgetSpec{ids::kBanner, GadgetKind::Image, Rect{150, 60, 540, 100}, "", -1, {}, {},
               ids::kBannerImage, false, true},
};

constexpr std::array kTransportRow{
    GadgetSpec{ids::kPlayButton, kText, Rect{30, 190, 100, 25}, "PLAY", kB, kWhite, kNavy},
    GadgetSpec{ids::kSkipButton, kText, Rect{160, 190, 100, 25}, "SKIP", kB, kWhite, kNavy},
    GadgetSpec{ids::kStopButton, kText, Rect{290, 190, 100, 25}, "STOP", kB, kWhite, kNavy},
    GadgetSpec{ids::kRepeatButton, kText, Rect{420, 190, 100, 25}, "REPEAT", kB, kWhite, kNavy},
    GadgetSpec{ids::kPauseButton, kText, Rect{550, 190, 100, 25}, "PAUSE", kB, kWhite, kNavy},
};

// The page labels carry the pages' names and colours.
constexpr std::array<GadgetSpec, playlist::kPageCount> make_page_labels() {
  std::array<GadgetSpec, playlist::kPageCount> labels{};
  for (int page = 1; page <= playlist::kPageCount; ++page)
    labels[static_cast<std::size_t>(page - 1)] =
        GadgetSpec{ids::page_label(page), kText, Rect{30 + 130 * (page - 1), 220, 100, 25},
                   playlist::kPageLabels[static_cast<std::size_t>(page - 1)], kB, kWhite,
                   playlist::page_colour(page)};
  return labels;
}
constexpr auto kPageLabels = make_page_labels();

constexpr platform::Colour kInputBlue = rgb(15, 135, 255);
constexpr std::array kInputModeControls{
    GadgetSpec{ids::kRecordingDeviceList, GadgetKind::Combo, Rect{30, 280, 300, 25}, "", -1, {}, {},
               -1, true},
    GadgetSpec{ids::kInputList, GadgetKind::Combo, Rect{30, 320, 300, 25}, "", -1, {}, {}, -1, true},
    GadgetSpec{ids::kInputIllustration, GadgetKind::Image, Rect{350, 300, 300, 300}, "", -1, {}, {},
               ids::kInputImage, true},
    GadgetSpec{ids::kAdjustButton, kText, Rect{30, 360, 100, 25}, "Adjust", kB, kWhite, kInputBlue, -1,
               true},
    GadgetSpec{ids::kInputClearButton, kText, Rect{150, 360, 100, 25}, "Clear", kB, kWhite, kInputBlue,
               -1, true},
    GadgetSpec{ids::kCaptureFillBar, GadgetKind::Bar, Rect{30, 620, 630, 20}, "", -1, {}, {}, -1, true},
};

constexpr platform::Colour kCommandBack = rgb(0, 0, 48);
constexpr std::array kCommandRow{
    GadgetSpec{ids::kAddFilesButton, kText, Rect{30, 660, 100, 25}, "Add files", kB, kWhite, kCommandBack},
    GadgetSpec{ids::kAddFoldersButton, kText, Rect{150, 660, 110, 25}, "Add folders", kB, kWhite,
               kCommandBack},
    GadgetSpec{ids::kClearButton, kText, Rect{280, 660, 90, 25}, "CLEAR", kB, kWhite, kCommandBack},
    GadgetSpec{ids::kSortButton, kText, Rect{390, 660, 140, 25}, "Sort by name", kB, kWhite, kCommandBack},
    GadgetSpec{ids::kOutputTypeLabel, kText, Rect{560, 660, 110, 25}, "ASIO", kB, rgb(192, 192, 192),
               rgb(0, 80, 0)},
};

}  // namespace

void build_gadget(platform::Ui& ui, int window, const GadgetSpec& spec) {
  if (!ui.create_gadget(window, spec.number, spec.kind, spec.rect, spec.text)) return;
  if (spec.font >= 0) ui.set_gadget_font(spec.number, spec.font);
  if (spec.text_colour) ui.set_gadget_text_colour(spec.number, *spec.text_colour);
  if (spec.back_colour) ui.set_gadget_back_colour(spec.number, *spec.back_colour);
  if (spec.image >= 0) ui.set_gadget_image(spec.number, spec.image);
  if (spec.disabled) ui.disable_gadget(spec.number, true);
  if (spec.hidden) ui.hide_gadget(spec.number, true);
}

void build_gadgets(platform::Ui& ui, int window, std::span<const GadgetSpec> specs) {
  for (const GadgetSpec& spec : specs) build_gadget(ui, window, spec);
}

std::span<const GadgetSpec> mode_row() { return kModeRow; }
std::span<const GadgetSpec> picture_row() { return kPictureRow; }
std::span<const GadgetSpec> transport_row() { return kTransportRow; }
std::span<const GadgetSpec> page_labels() { return kPageLabels; }
std::span<const GadgetSpec> input_mode_controls() { return kInputModeControls; }
std::span<const GadgetSpec> command_row() { return kCommandRow; }

}  // namespace sonvale::shell
