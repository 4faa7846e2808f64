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
    GadgetRow{ids::kSelectorX1, kText, Rect{10, 31, 100, 20}, "x 1", -1, kWhite, kNavy},
    GadgetRow{ids::kSelectorX2, kText, Rect{130, 31, 100, 20}, "x 2", -1, kWhite, kNavy},
    GadgetRow{ids::kSelectorX4, kText, Rect{250, 31, 100, 20}, "x 4", -1, kWhite, kNavy},
    GadgetRow{ids::kRateDisplay, kText, Rect{370, 31, 75, 20}, "0", -1, kWhite, kNavy},
    GadgetRow{ids::kLpfButton, kText, Rect{460, 31, 50, 20}, "LPF", -1, kWhite, kNavy},
    GadgetRow{ids::kMiniModeButton, kText, Rect{525, 31, 50, 20}, "( O )", -1, kWhite, kNavy},
    GadgetRow{ids::kSettingButton, kText, Rect{590, 31, 70, 20}, "Setting", -1, kWhite, kNavy},
};

// Pictures take no clicks of their own: a press on them reaches the window.
constexpr std::array kPictureRow{
    GadgetRow{ids::kLogo, GadgetKind::Image, Rect{5, 60, 140, 70}, "", -1, {}, {}, ids::kLogoImage,
               false, true},
    GadgetRow{ids::kCounterLabel, GadgetKind::Image, Rect{5, 130, 140, 30}, "", -1, {}, {},
               ids::kLaunchCounterImage, false, true},
    GadgetRow{ids::kBanner, GadgetKind::Image, Rect{150, 60, 540, 100}, "", -1, {}, {},
               ids::kBannerImage, false, true},
};

constexpr std::array kTransportRow{
    GadgetRow{ids::kPlayButton, kText, Rect{30, 190, 100, 25}, "PLAY", kB, kWhite, kNavy},
    GadgetRow{ids::kSkipButton, kText, Rect{160, 190, 100, 25}, "SKIP", kB, kWhite, kNavy},
    GadgetRow{ids::kStopButton, kText, Rect{290, 190, 100, 25}, "STOP", kB, kWhite, kNavy},
    GadgetRow{ids::kRepeatButton, kText, Rect{420, 190, 100, 25}, "REPEAT", kB, kWhite, kNavy},
    GadgetRow{ids::kPauseButton, kText, Rect{550, 190, 100, 25}, "PAUSE", kB, kWhite, kNavy},
};

// The page labels carry the pages' names and colours.
constexpr std::array<GadgetRow, playlist::kPageCount> make_page_labels() {
  std::array<GadgetRow, playlist::kPageCount> labels{};
  for (int page = 1; page <= playlist::kPageCount; ++page)
    labels[static_cast<std::size_t>(page - 1)] =
        GadgetRow{ids::page_label(page), kText, Rect{30 + 130 * (page - 1), 220, 100, 25},
                   playlist::kPageLabels[static_cast<std::size_t>(page - 1)], kB, kWhite,
                   playlist::page_colour(page)};
  return labels;
}
constexpr auto kPageLabels = make_page_labels();

constexpr platform::Colour kInputBlue = rgb(15, 135, 255);
constexpr std::array kInputModeControls{
    GadgetRow{ids::kRecordingDeviceList, GadgetKind::Combo, Rect{30, 280, 300, 25}, "", -1, {}, {},
               -1, true},
    GadgetRow{ids::kInputList, GadgetKind::Combo, Rect{30, 320, 300, 25}, "", -1, {}, {}, -1, true},
    GadgetRow{ids::kInputIllustration, GadgetKind::Image, Rect{350, 300, 300, 300}, "", -1, {}, {},
               ids::kInputImage, true},
    GadgetRow{ids::kAdjustButton, kText, Rect{30, 360, 100, 25}, "Adjust", kB, kWhite, kInputBlue, -1,
               true},
    GadgetRow{ids::kInputClearButton, kText, Rect{150, 360, 100, 25}, "Clear", kB, kWhite, kInputBlue,
               -1, true},
    GadgetRow{ids::kCaptureFillBar, GadgetKind::Bar, Rect{30, 620, 630, 20}, "", -1, {}, {}, -1, true},
};

constexpr platform::Colour kCommandBack = rgb(0, 0, 48);
constexpr std::array kCommandRow{
    GadgetRow{ids::kAddFilesButton, kText, Rect{30, 660, 100, 25}, "Add files", kB, kWhite, kCommandBack},
    GadgetRow{ids::kAddFoldersButton, kText, Rect{150, 660, 110, 25}, "Add folders", kB, kWhite,
               kCommandBack},
    GadgetRow{ids::kClearButton, kText, Rect{280, 660, 90, 25}, "CLEAR", kB, kWhite, kCommandBack},
    GadgetRow{ids::kSortButton, kText, Rect{390, 660, 140, 25}, "Sort by name", kB, kWhite, kCommandBack},
    GadgetRow{ids::kOutputTypeLabel, kText, Rect{560, 660, 110, 25}, "ASIO", kB, rgb(192, 192, 192),
               rgb(0, 80, 0)},
};

}  // namespace

void build_gadget(platform::Ui& ui, int window, const GadgetRow& row) {
  if (!ui.create_gadget(window, row.number, row.kind, row.rect, row.text)) return;
  if (row.font >= 0) ui.set_gadget_font(row.number, row.font);
  if (row.text_colour) ui.set_gadget_text_colour(row.number, *row.text_colour);
  if (row.back_colour) ui.set_gadget_back_colour(row.number, *row.back_colour);
  if (row.image >= 0) ui.set_gadget_image(row.number, row.image);
  if (row.disabled) ui.disable_gadget(row.number, true);
  if (row.hidden) ui.hide_gadget(row.number, true);
}

void build_gadgets(platform::Ui& ui, int window, std::span<const GadgetRow> rows) {
  for (const GadgetRow& row : rows) build_gadget(ui, window, row);
}

std::span<const GadgetRow> mode_row() { return kModeRow; }
std::span<const GadgetRow> picture_row() { return kPictureRow; }
std::span<const GadgetRow> transport_row() { return kTransportRow; }
std::span<const GadgetRow> page_labels() { return kPageLabels; }
std::span<const GadgetRow> input_mode_controls() { return kInputModeControls; }
std::span<const GadgetRow> command_row() { return kCommandRow; }

}  // namespace sonvale::shell
