#pragma once

#include <string>
#include <vector>

#include "output/device_calls.h"

namespace sonvale::output::test {

// Devices of our own making behind the device layer's calls, with a count of what
// was called. A rescan takes the `after_rescan` lists when they are given.
struct FakeDevices {
  std::vector<std::string> asio;  // an empty name is a driver without one
  std::vector<audiolib::WasapiDeviceInfo> wasapi;
  std::vector<std::string> asio_after_rescan;
  std::vector<audiolib::WasapiDeviceInfo> wasapi_after_rescan;
  bool replace_on_rescan = false;
  bool init_succeeds = true;
  std::vector<std::string> log;

  DeviceCalls calls() {
    DeviceCalls c;
    c.asio_device_info = [this](int i, audiolib::AsioDeviceInfo* info) {
      if (i < 0 || static_cast<std::size_t>(i) >= asio.size()) return false;
      *info = {asio[static_cast<std::size_t>(i)], "drv" + std::to_string(i)};
      return true;
    };
    c.wasapi_device_info = [this](int i, audiolib::WasapiDeviceInfo* info) {
      if (i < 0 || static_cast<std::size_t>(i) >= wasapi.size()) return false;
      *info = wasapi[static_cast<std::size_t>(i)];
      return true;
    };
    c.asio_init = [this](int device, std::uint32_t flags) {
      log.push_back("init " + std::to_string(device) + " " + std::to_string(flags));
      return init_succeeds;
    };
    c.asio_control_panel = [this] {
      log.push_back("panel");
      return true;
    };
    c.asio_free = [this] {
      log.push_back("free");
      return true;
    };
    c.rescan = [this] {
      log.push_back("rescan");
      if (!replace_on_rescan) return;
      asio = asio_after_rescan;
      wasapi = wasapi_after_rescan;
    };
    return c;
  }
};

inline audiolib::WasapiDeviceInfo wasapi_device(std::string name, std::uint32_t flags) {
  return {std::move(name), "plughw", flags};
}

}  // namespace sonvale::output::test
