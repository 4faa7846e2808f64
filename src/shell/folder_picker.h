#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui.h"

namespace sonvale::shell {

// Lets the user tick any number of folders in a folder tree, in a window of its own
// over the lower part of the main window, and returns the ticked folders' paths in
// the order they were ticked, each ending in "/". None for Cancel, the close box, or
// when the window cannot be opened. Moving the picker moves the main window with it.
// Each of `cd_drives` (CD devices holding an audio disc) shows above the folders as
// "Audio CD (<device>)", standing for the drive's root "<device>/".
std::vector<std::string> folder_picker(platform::Ui& ui, std::string_view start_folder,
                                       std::string_view title, const std::vector<std::string>& cd_drives = {});

// How the picker's list shows a path: one of more than 50 characters as its first 3,
// "...", and the last 50 of the rest after those 3 (the whole rest when shorter).
std::string shorten_for_display(std::string_view path);

}  // namespace sonvale::shell
