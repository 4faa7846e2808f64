#pragma once

#include <array>

#include "audiolib/asio.h"

namespace sonvale::output {

// ASIO drivers are offered from these indices only.
inline constexpr int kAsioTableSize = 11;

// The ASIO drivers as the last listing read them, by index; empty where there was
// none. Written by the device selection and the settings window's scan.
using AsioDeviceTable = std::array<audiolib::AsioDeviceInfo, kAsioTableSize>;

}  // namespace sonvale::output
