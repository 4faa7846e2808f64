#pragma once

#include <cstdint>
#include <functional>

#include "output/calibration.h"
#include "platform/time.h"

namespace sonvale::shell {

// What the input mode keeps from one visit to the next.
struct InputModeState {
  // The calibration, with the input volume that PLAY records at.
  output::Calibration calibration;
  // The clock of the rule that ignores Adjust and Clear for 3 s after another device
  // was chosen; a test stands in for it.
  std::function<std::uint32_t()> tick_count = &platform::tick_count;
};

}  // namespace sonvale::shell
