#pragma once

#include <cstdint>
#include <functional>

#include "audiolib/asio.h"
#include "audiolib/device_catalog.h"
#include "audiolib/wasapi.h"
#include "output/asio_device_table.h"

namespace sonvale::output {

// The device layer's calls that choosing a device makes, gathered so that a test can
// stand in for the machine's devices. By default they are the real ones.
struct DeviceCalls {
  std::function<bool(int, audiolib::AsioDeviceInfo*)> asio_device_info = audiolib::BASS_ASIO_GetDeviceInfo;
  std::function<bool(int, audiolib::WasapiDeviceInfo*)> wasapi_device_info =
      audiolib::BASS_WASAPI_GetDeviceInfo;
  std::function<bool(int, std::uint32_t)> asio_init = audiolib::BASS_ASIO_Init;
  std::function<bool()> asio_control_panel = audiolib::BASS_ASIO_ControlPanel;
  std::function<bool()> asio_free = audiolib::BASS_ASIO_Free;
  std::function<void()> rescan = audiolib::rescan_devices;
};

// A WASAPI device is offered when it is enabled (1), or enabled and the default (3),
// and nothing else: not an input, a loopback, disabled or already in use.
constexpr bool is_usable_wasapi(std::uint32_t flags) { return flags == 1 || flags == 3; }

// Reads the table afresh from the device layer.
void fill_asio_table(const DeviceCalls& calls, AsioDeviceTable& table);

}  // namespace sonvale::output
