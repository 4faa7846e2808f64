#include "shell/device_arguments.h"

#include <iostream>

#include "audiolib/asio.h"
#include "audiolib/device_catalog.h"
#include "audiolib/record.h"
#include "audiolib/record_catalog.h"

namespace sonvale::shell {
namespace {

bool is_number(const std::string& text) {
  return !text.empty() && text.size() < 6 && text.find_first_not_of("0123456789") == std::string::npos;
}

std::optional<int> find_recording_device(const std::string& wanted) {
  audiolib::RecordDeviceInfo info;
  for (int i = 0; audiolib::BASS_RecordGetDeviceInfo(i, &info); ++i) {
    if (is_number(wanted) && std::stoi(wanted) == i) return i;
    if (info.name == wanted || info.driver == wanted) return i;
  }
  return std::nullopt;
}

std::optional<int> find_input(int device, const std::string& wanted) {
  if (!audiolib::BASS_RecordInit(device)) return std::nullopt;
  std::optional<int> found;
  for (int i = 0; const auto name = audiolib::BASS_RecordGetInputName(i); ++i)
    if ((is_number(wanted) && std::stoi(wanted) == i) || *name == wanted) {
      found = i;
      break;
    }
  audiolib::BASS_RecordFree();
  return found;
}

}  // namespace

std::optional<int> find_output_device(const std::string& wanted) {
  if (wanted.empty()) return 0;
  audiolib::AsioDeviceInfo info;
  for (int i = 0; audiolib::BASS_ASIO_GetDeviceInfo(i, &info); ++i) {
    if (is_number(wanted) && std::stoi(wanted) == i) return i;
    if (!is_number(wanted) && (info.name == wanted || info.driver == wanted)) return i;
  }
  if (!is_number(wanted) && wanted.find(':') != std::string::npos) {
    const int added = audiolib::asio_add_pcm_driver(wanted, wanted);
    if (added >= 0) return added;
  }
  return std::nullopt;
}

// Playing into the Null output without having asked for it is worth a word.
void tell_if_unheard(int device, const std::string& wanted) {
  audiolib::AsioDeviceInfo info;
  if (!wanted.empty() || !audiolib::BASS_ASIO_GetDeviceInfo(device, &info) || info.driver != "null") return;
  std::cerr << "sonvale: no sound card found: playing into \"" << info.name
            << "\", which is not heard (sonvale --list-devices lists the devices, --device picks one)\n";
}

std::optional<RecordingInput> find_recording_input(const std::string& wanted, std::string& error) {
  const std::string whole = wanted.empty() ? std::string("Test loop") : wanted;
  const std::size_t comma = wanted.rfind(',');
  // A comma may belong to the device's name ("hw:1,0"); only when the whole does not
  // name a device does the part after the last one name the input. An ALSA device
  // name that is not listed joins the list whole.
  struct Named {
    std::optional<int> device;
    std::string device_name;
    std::string input;
  };
  Named named{find_recording_device(whole), whole, "0"};
  if (!named.device && comma != std::string::npos)
    named = {find_recording_device(wanted.substr(0, comma)), wanted.substr(0, comma), wanted.substr(comma + 1)};
  if (!named.device && !is_number(wanted) && wanted.find(':') != std::string::npos)
    named = {audiolib::record_add_pcm_device(wanted, wanted), wanted, "0"};
  if (!named.device) {
    error = "no recording device " + whole + " (see --list-devices)";
    return std::nullopt;
  }
  const std::optional<int> input = find_input(*named.device, named.input);
  if (!input) {
    error = "no input " + named.input + " on " + named.device_name + " (see --list-devices)";
    return std::nullopt;
  }
  return RecordingInput{*named.device, *input};
}

}  // namespace sonvale::shell
