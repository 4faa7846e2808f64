#pragma once

#include <string>
#include <utility>

namespace sonvale::audiolib {

// The outcome of a device operation: 0 or a negative errno, with a text for the user
// ("hw:1,0: Device busy"). Device failures travel as values, never as exceptions.
struct DeviceStatus {
  int code = 0;
  std::string message;

  bool ok() const { return code == 0; }

  static DeviceStatus fine() { return {}; }
  static DeviceStatus failure(int code, std::string message) { return {code, std::move(message)}; }
};

}  // namespace sonvale::audiolib
