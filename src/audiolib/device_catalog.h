#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "audiolib/device_stream.h"

namespace sonvale::audiolib {

// What one driver index of the ASIO path stands for. The order is: every hardware
// playback device (hw:C,D), the built-in "Null output", then drivers added while
// the program runs, in the order they were added.
struct AsioDriverEntry {
  enum class Kind { Hardware, Pcm, Null, Render, Stream };
  Kind kind = Kind::Null;
  std::string name;    // as listed: "card name: device name (hw:C,D)", "Null output"
  std::string driver;  // ALSA PCM name, "null", or the WAV file's path
  std::string config;  // ALSA configuration text that defines `driver`, if any
  bool listed = true;  // false for the render driver
  std::function<std::shared_ptr<DeviceStream>()> make_stream;  // Kind::Stream only
};

// One device of the WASAPI path: the hardware devices through plughw:C,D, then any
// added while the program runs.
struct WasapiDeviceEntry {
  std::string name;         // "card name: device name (plughw:C,D)"
  std::string pcm;          // ALSA PCM name
  std::string config;       // ALSA configuration text that defines `pcm`, if any
  std::uint32_t flags = 0;  // 1 enabled, 2 default
};

inline constexpr std::uint32_t kWasapiDeviceEnabled = 1;
inline constexpr std::uint32_t kWasapiDeviceDefault = 2;

// The lists are taken from the sound cards at first use and kept, so that an index
// means the same device all along; rescan_devices() takes them again (the indices
// after the hardware devices then shift by the change in their number).
void rescan_devices();

std::optional<AsioDriverEntry> asio_driver_entry(int index);
std::optional<WasapiDeviceEntry> wasapi_device_entry(int index);

// Adds an ALSA PCM as a driver of the ASIO path, opened like a hw: device (its own
// format negotiated, rates exact). `config`, when not empty, is ALSA configuration
// text that defines `pcm`, e.g.
//   pcm.capture { type file slave.pcm { type null } file "/tmp/out.raw" format raw }
// Returns the driver's index.
int asio_add_pcm_driver(std::string name, std::string pcm, std::string config = {});
// Adds the unlisted render driver writing to `wav_path`; returns its index.
int asio_add_render_driver(std::string wav_path);
// Adds a driver over any DeviceStream, made anew for each Init; returns its index.
int asio_add_stream_driver(std::string name,
                           std::function<std::shared_ptr<DeviceStream>()> make_stream);

// Adds an ALSA PCM as a device of the WASAPI path (opened like plughw:, float at the
// interface, never resampled), flagged enabled. Returns its index.
int wasapi_add_pcm_device(std::string name, std::string pcm, std::string config = {});

}  // namespace sonvale::audiolib
