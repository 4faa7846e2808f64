#pragma once

#include <cstdint>
#include <string>

#include "output/asio_device_table.h"

namespace sonvale::output {

inline constexpr std::int8_t kOutputAsio = 8;
inline constexpr std::int8_t kOutputWasapi = 9;

// The output device the user chose: the path (ASIO or WASAPI) and the device's
// index in that path's enumeration. Written on the main thread by the device
// selection and the settings window; read by Start playback.
struct OutputChoice {
  std::int8_t mode = 0;
  int asio_device = 0;
  int wasapi_device = 0;
  // Main thread only: the ASIO drivers the choice was made from, and the name the
  // settings window's Apply last read from its ASIO list.
  AsioDeviceTable asio_table;
  std::string last_applied_asio_name;
};

}  // namespace sonvale::output
