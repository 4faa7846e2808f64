#pragma once

#include <cstdint>
#include <string>

namespace sonvale::audiolib {

// The ASIO-style output path over ALSA. Each driver is one device of the catalogue
// (device_catalog.h): a hardware device opened directly as hw:C,D, the "Null
// output", or a driver added at run time. One driver is open at a time. The layer
// runs the driver thread, which calls the channel's callback for one device period
// of stereo float at a time; the device's own sample format is negotiated and the
// samples are converted exactly at the device; rates are set exactly, never
// resampled. Every call is made from one thread (the main thread); the callback must
// not call back into this layer.

// Called on the driver thread with the request in bytes (one device period); returns
// the bytes written. The rest of the period plays as silence.
using AsioProc = std::uint32_t (*)(bool input, std::uint32_t channel, void* buffer,
                                   std::uint32_t length, void* user);

struct AsioDeviceInfo {
  std::string name;    // "card name: device name (hw:C,D)" or "Null output"
  std::string driver;  // the ALSA PCM name ("hw:C,D"), or "null"
};

inline constexpr std::uint32_t kAsioThread = 1;        // Init: a driver thread of its own
inline constexpr std::uint32_t kAsioFormatFloat = 19;  // ChannelSetFormat: 32-bit float
inline constexpr std::uint32_t kAsioResetEnable = 1;   // ChannelReset: disable the channel
inline constexpr std::uint32_t kAsioResetJoin = 2;     // ChannelReset: undo the join
inline constexpr std::uint32_t kAsioResetPause = 4;    // ChannelReset: unpause
inline constexpr std::uint32_t kAsioResetVolume = 32;  // ChannelReset: volume back to 1.0

// False past the last listed driver (and for the unlisted render driver).
bool BASS_ASIO_GetDeviceInfo(int device, AsioDeviceInfo* info);
// Takes the driver's device (-1: the first driver). False when it is busy or missing,
// or while a driver is already initialised. The driver thread is always ours; flags
// are accepted as given.
bool BASS_ASIO_Init(int device, std::uint32_t flags);
// Stops and lets the device go.
bool BASS_ASIO_Free();
// Whether the device plays exactly this rate in stereo in a format it offers.
bool BASS_ASIO_CheckRate(double rate);
// The rate the next start uses; false when the device refuses it or while started.
bool BASS_ASIO_SetRate(double rate);
// Output channel 0 carries the stereo pair once channel 1 is joined to it; a null
// callback disables it. Inputs do not exist here.
bool BASS_ASIO_ChannelEnable(bool input, int channel, AsioProc proc, void* user);
bool BASS_ASIO_ChannelJoin(bool input, int channel, int channel2);
// Only kAsioFormatFloat: the callback's samples are 32-bit float.
bool BASS_ASIO_ChannelSetFormat(bool input, int channel, std::uint32_t format);
// Channel -1 is the master: a linear gain from 0.0 to 1.0, applied only when it is
// not exactly 1.0. Takes effect at once, also while started.
bool BASS_ASIO_ChannelSetVolume(bool input, int channel, float volume);
// Starts the driver thread. `buflen` is the period in frames (0 = the driver's own,
// about 25 ms; at most 2^20). Needs channel 0 enabled with channel 1 joined.
bool BASS_ASIO_Start(std::uint32_t buflen, std::uint32_t threads = 0);
// Returns once the callback has been called for the last time; the device is let go
// until the next start. Waits for a callback in progress, not for the device: a
// device stuck inside a write is given up after a second.
bool BASS_ASIO_Stop();
// True while the driver thread runs; false again when the device was lost.
bool BASS_ASIO_IsStarted();
// The device plays silence and the callback is not called until ChannelReset with
// kAsioResetPause. Returns once no callback is in progress.
bool BASS_ASIO_ChannelPause(bool input, int channel);
bool BASS_ASIO_ChannelReset(bool input, int channel, std::uint32_t flags);
// No driver here has a control panel of its own.
bool BASS_ASIO_ControlPanel();

// Why the last failed call failed, or why playback ended by itself: for messages.
std::string asio_last_error();

}  // namespace sonvale::audiolib
