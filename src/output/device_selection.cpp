#include "output/device_selection.h"

namespace sonvale::output {

// No device list exists yet: the first device of the ASIO path is taken.
bool select_output_device(platform::Ui&, OutputChoice& choice) {
  choice.mode = kOutputAsio;
  choice.asio_device = 0;
  return true;
}

}  // namespace sonvale::output
