#include "audiolib/device_listing.h"

#include <sstream>

#include "audiolib/asio.h"
#include "audiolib/record.h"
#include "audiolib/wasapi.h"

namespace sonvale::audiolib {

std::string describe_output_devices() {
  std::ostringstream text;
  text << "ASIO drivers:\n";
  AsioDeviceInfo asio;
  for (int i = 0; BASS_ASIO_GetDeviceInfo(i, &asio); ++i)
    text << "  " << i << "  " << asio.name << "\n";
  text << "WASAPI devices:\n";
  WasapiDeviceInfo wasapi;
  int count = 0;
  for (; BASS_WASAPI_GetDeviceInfo(count, &wasapi); ++count)
    text << "  " << count << "  " << wasapi.name << "  (flags " << wasapi.flags << ")\n";
  if (count == 0) text << "  none\n";
  return text.str();
}

std::string describe_recording_devices() {
  std::ostringstream text;
  text << "Recording devices:\n";
  RecordDeviceInfo info;
  for (int i = 0; BASS_RecordGetDeviceInfo(i, &info); ++i) {
    text << "  " << i << "  " << info.name << "\n      inputs:";
    if (BASS_RecordInit(i)) {
      const char* separator = " ";
      for (int input = 0; const auto name = BASS_RecordGetInputName(input); ++input, separator = ", ")
        text << separator << input << " " << *name;
      BASS_RecordFree();
    } else {
      text << " (" << record_last_error() << ")";
    }
    text << "\n";
  }
  return text.str();
}

}  // namespace sonvale::audiolib
