#pragma once

#include "engine/playback_state.h"
#include "platform/ui.h"

namespace sonvale::shell {

// The Sound-mode selectors and the LPF button in the input mode, whose engine
// computes fewer modes: x1 cycles Red, Green; x2 is Green only; x4 cycles Green,
// Red; LPF cycles blue, green, red. Brown, White and LPF brown are not offered.

// How the mode starts: Red x 1 at 44,100 Hz with LPF green; every variant byte 1.
void show_live_modes_on_entry(platform::Ui& ui, engine::PlaybackState& playback);

void step_live_x1(platform::Ui& ui, engine::PlaybackState& playback);
void step_live_x2(platform::Ui& ui, engine::PlaybackState& playback);
void step_live_x4(platform::Ui& ui, engine::PlaybackState& playback);
void step_live_post_filter(platform::Ui& ui, engine::PlaybackState& playback);

// Leaving the mode: lights the mode that the selectors show the way the main
// window's selectors do, so that the variant bytes agree with the labels again (the
// input mode's Green x 2 leaves the x2 variant that means Brown elsewhere).
void relight_shown_mode(platform::Ui& ui, engine::PlaybackState& playback);

}  // namespace sonvale::shell
