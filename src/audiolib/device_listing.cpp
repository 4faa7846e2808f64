#include "audiolib/device_listing.h"

#include <sstream>

#include "audiolib/asio.h"
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

}  // namespace sonvale::audiolib
