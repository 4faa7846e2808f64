#pragma once

#include <functional>
#include <optional>

#include "engine/engine_context.h"
#include "engine/sample_buffers.h"
#include "engine/sound_mode.h"

namespace sonvale::engine {

// The Sound mode the live engine computes for a rate multiplier and the variant
// bytes: Green x 1 or Red x 1, Green x 2 whatever the x2 variant, Green x 4 or Red x 4.
// Nothing for any other combination.
std::optional<SoundMode> live_sound_mode(int multiplier, int x1_variant, int x4_variant);

// The engine of the input mode. It takes the captured input a block at a time, once
// the capture buffer holds 95 % of one (about 68 s at 44.1 kHz), computes the
// selected live Sound mode on this thread alone, with post filter 1 or 2 or none (3
// computes as none), and hands each block to the device callback through the two
// output buffers exactly as the engine thread does. A block of exactly one full
// block passes its end on to the next block as its lead-in; any other starts the
// next one from silence. Runs until the stop request; while it waits for capture it
// gives `show_fill` the capture fill bar's value every 100 ms, and while it waits for
// the device it looks every 10 ms.
int run_live_engine_thread(EngineContext& context, const SampleBuffers& buffers,
                           const std::function<void(int)>& show_fill);

}  // namespace sonvale::engine
