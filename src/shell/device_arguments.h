#pragma once

#include <optional>
#include <string>

namespace sonvale::shell {

// The output device a command line names: an index or a name of the ASIO-path list,
// its ALSA device, or any other ALSA device name, which joins the list. The first
// when `wanted` is empty.
std::optional<int> find_output_device(const std::string& wanted);

// Says on stderr that the sound goes nowhere when `device` is the Null output and the
// user (`wanted` empty) did not ask for it.
void tell_if_unheard(int device, const std::string& wanted);

struct RecordingInput {
  int device = 0;
  int input = 0;
};

// The recording device and input that "DEVICE[,INPUT]" names, each by index or name
// (see --list-devices); the device may also be its ALSA device, or any other ALSA
// capture device name, which joins the list. Without INPUT, the device's first
// input. The Test loop when `wanted` is empty. Nothing, with the reason in `error`,
// when no device or input answers to it.
std::optional<RecordingInput> find_recording_input(const std::string& wanted, std::string& error);

}  // namespace sonvale::shell
