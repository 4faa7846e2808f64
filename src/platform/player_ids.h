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
inline constexpr int kFolderPickerWindow = 12;

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

// Main window: input-mode controls, hidden until that mode.
inline constexpr int kInputIllustration = 87;
inline constexpr int kRecordingDeviceList = 88;
inline constexpr int kInputList = 89;
inline constexpr int kAdjustButton = 90;
inline constexpr int kInputClearButton = 91;
inline constexpr int kCaptureFillBar = 92;

// Mini window: the orb.
inline constexpr int kOrbButton = 104;

// Settings window.
inline constexpr int kAsioDeviceList = 65;
inline constexpr int kAsioOption = 66;
inline constexpr int kWasapiOption = 67;
inline constexpr int kWasapiDeviceList = 68;
inline constexpr int kScanButton = 69;
inline constexpr int kControlPanelButton = 70;
inline constexpr int kDownloadLinkButton = 71;
inline constexpr int kManualText = 82;
inline constexpr int kDeveloperLinkButton = 83;
inline constexpr int kApplyButton = 84;
inline constexpr int kExitButton = 85;
inline constexpr int kManualFrame = 86;

// Folder picker.
inline constexpr int kFolderTree = 93;
inline constexpr int kFolderTreeCaption = 94;
inline constexpr int kSelectedFoldersCaption = 95;
inline constexpr int kSelectedFoldersList = 96;
inline constexpr int kFolderPickerFrame = 97;
inline constexpr int kFolderPickerOk = 98;
inline constexpr int kFolderPickerCancel = 99;

// Device window: row r holds the path label 200 + r and the device button 300 + r.
inline constexpr int kFirstDevicePathLabel = 200;
inline constexpr int kFirstDeviceButton = 300;
inline constexpr int kMostDeviceRows = 100;  // keeps the two ranges apart
constexpr int device_path_label(int row) { return kFirstDevicePathLabel + row; }
constexpr int device_button(int row) { return kFirstDeviceButton + row; }

// Fonts.
inline constexpr int kFontA = 1;  // first interface font
inline constexpr int kFontB = 2;  // second interface font
inline constexpr int kPickerFont = 3;

// Images.
inline constexpr int kCounterImage = 2;
inline constexpr int kLogoImage = 3;
inline constexpr int kLaunchCounterImage = 4;
inline constexpr int kIsolatedImage = 5;
inline constexpr int kBannerImage = 6;
inline constexpr int kInputImage = 7;
inline constexpr int kBlankPanelImage = 8;
inline constexpr int kPanelImage = 9;
inline constexpr int kOrbImage = 10;

}  // namespace sonvale::ids
