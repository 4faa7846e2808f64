#pragma once

#include "engine/playback_state.h"
#include "engine/sound_mode.h"
#include "platform/ui.h"

namespace sonvale::output {

// Lights the selector of `mode` the way the selector buttons leave it: that button
// shows the mode's label on the mode's colour, the other two read "x 1", "x 2",
// "x 4" on navy, and the variant bytes follow (the ones not lit are reset so that a
// first press starts at Red x 1, Green x 2, Green x 4). The rate display shows
// the source rate times the multiplier.
void show_sound_mode(platform::Ui& ui, engine::PlaybackState& playback, engine::SoundMode mode);

// The same for the buttons and the rate display only; the variant bytes stay.
void show_selectors(platform::Ui& ui, const engine::PlaybackState& playback, engine::SoundMode mode);

// Sets the post filter and the LPF button's colour.
void show_post_filter(platform::Ui& ui, engine::PlaybackState& playback, int filter);

}  // namespace sonvale::output
