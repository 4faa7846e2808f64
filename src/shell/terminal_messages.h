#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sound_mode.h"
#include "output/player.h"
#include "platform/ui_headless.h"

namespace sonvale::shell {

// What the terminal modes say where the window only shows a box or a short word.

// Why the file at `path` (absolute) was not added to a playlist at `source_rate`
// (0 while it is empty).
std::string refusal_reason(const std::string& path, std::int32_t source_rate);

// Words after a message box's text: what the code of an "ERROR" box means.
std::string message_note(std::string_view title, std::string_view text);

// Why --render cannot write `render_path` while playing `files` (absolute), if it
// cannot: one of them is the file itself, or the file cannot be written.
std::optional<std::string> render_target_problem(const std::string& render_path,
                                                 const std::vector<std::string>& files);

// Why `mode` cannot play a source at `source_rate`, if it cannot, with the modes
// that can.
std::optional<std::string> mode_problem(const engine::SoundModeInfo& mode, std::int32_t source_rate);

// Why Start playback failed, from what it showed: the rate display and the message
// boxes from `first_box` on.
std::string start_failure(const platform::HeadlessUi& ui, std::size_t first_box, const output::Player& player);

}  // namespace sonvale::shell
