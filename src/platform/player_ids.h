#pragma once

// The numbers of the player's windows and gadgets. Every folder that touches a
// window or a gadget names it through these.
namespace sonvale::ids {

// Windows.
inline constexpr int kInstanceWindow = 0;
inline constexpr int kMainWindow = 5;
inline constexpr int kSettingsWindow = 6;
inline constexpr int kDeviceWindow = 7;
inline constexpr int kMiniWindow = 11;

// Main window: mode row.
inline constexpr int kSelectorX1 = 2;
inline constexpr int kSelectorX2 = 3;
inline constexpr int kSelectorX4 = 4;
inline constexpr int kRateDisplay = 5;
inline constexpr int kLpfButton = 6;
inline constexpr int kSettingButton = 7;
inline constexpr int kMiniModeButton = 33;

// Main window: images.
inline constexpr int kBanner = 10;  // banner and now-playing panel
inline constexpr int kLogo = 11;
inline constexpr int kCounterLabel = 12;

// Main window: transport row.
inline constexpr int kPlayButton = 13;
inline constexpr int kStopButton = 14;
inline constexpr int kSkipButton = 15;
inline constexpr int kRepeatButton = 16;
inline constexpr int kPauseButton = 17;

// Main window: page labels 18..22 and page lists 23..27 for pages 1..5.
inline constexpr int kFirstPageLabel = 18;
inline constexpr int kFirstPageList = 23;
constexpr int page_label(int page) { return kFirstPageLabel + page - 1; }
constexpr int page_list(int page) { return kFirstPageList + page - 1; }

// Main window: command row.
inline constexpr int kAddFilesButton = 28;
inline constexpr int kAddFoldersButton = 29;
inline constexpr int kClearButton = 30;
inline constexpr int kSortButton = 31;
inline constexpr int kOutputTypeLabel = 32;

// Main window: volume steps 0..30 on gadgets 34..64.
inline constexpr int kFirstVolumeStep = 34;
constexpr int volume_step(int step) { return kFirstVolumeStep + step; }

// Mini window: the orb.
inline constexpr int kOrbButton = 104;

}  // namespace sonvale::ids
