#pragma once

#include <string>

namespace sonvale::audiolib {

// The output devices as --list-devices prints them: the ASIO-path drivers with their
// indices (Null output among them), then the WASAPI-path devices with index and flags.
std::string describe_output_devices();

// The recording devices with their indices (the Test loop among them), each with
// its inputs.
std::string describe_recording_devices();

}  // namespace sonvale::audiolib
