#pragma once

#include "engine/playback_state.h"
#include "platform/ui.h"

namespace sonvale::shell {

// One press on a Sound-mode selector or on the LPF button, while nothing plays:
// cycles the mode of that selector (x1: Red, Green; x2: Green, Brown, White; x4:
// Green, Red, Brown, White), or the post filter (blue, green, red, brown). Brown,
// White and LPF brown are skipped with a single processor; x2 and x4 do nothing
// when they would take the output past 192,000 Hz.
void step_x1_selector(platform::Ui& ui, engine::PlaybackState& playback);
void step_x2_selector(platform::Ui& ui, engine::PlaybackState& playback);
void step_x4_selector(platform::Ui& ui, engine::PlaybackState& playback);
void step_post_filter(platform::Ui& ui, engine::PlaybackState& playback);

}  // namespace sonvale::shell
