#pragma once

#include <cstdint>
#include <random>

#include "platform/ui.h"

namespace sonvale::output {

// Gives PLAY, SKIP, STOP and PAUSE the colour of page n's label (n from 1 to 5), or
// navy for any other n. REPEAT keeps its colour.
void paint_transport_buttons(platform::Ui& ui, int page);

// Names the output type in the main window, "ASIO" or "WASAPI", and shows the PAUSE
// button for ASIO only (WASAPI output has no pause). Other modes change nothing.
void show_output_type(platform::Ui& ui, std::int8_t output_mode);

// The random light colours PLAY and STOP flash in while playback starts or stops:
// red, green and blue each drawn evenly from `lowest` to 254.
class ButtonFlash {
 public:
  explicit ButtonFlash(int lowest);
  platform::Colour next();

 private:
  std::minstd_rand random_;
  std::uniform_int_distribution<int> light_;
};

}  // namespace sonvale::output
