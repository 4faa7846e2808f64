#pragma once

#include <cstdint>
#include <string>

namespace sonvale::audiolib {

// The WASAPI-style output path over ALSA: every hardware device taken exclusively
// through plughw:C,D with automatic resampling off, so ALSA converts the float
// samples to the device's format but never changes their rate; 2 channels of float,
// a 0.2 s buffer. The layer runs the thread that calls the callback. Every call is
// made from one thread (the main thread); the callback must not call back into this
// layer.

// Called on the output thread with the request in bytes; returns the bytes written.
// The rest of the period plays as silence.
using WasapiProc = std::uint32_t (*)(void* buffer, std::uint32_t length, void* user);

struct WasapiDeviceInfo {
  std::string name;  // "card name: device name (plughw:C,D)"
  std::string id;    // the ALSA PCM name
  std::uint32_t flags = 0;
};

inline constexpr std::uint32_t kWasapiExclusive = 1;    // Init / CheckFormat flag
inline constexpr std::uint32_t kWasapiCurveLinear = 1;  // SetVolume curve
inline constexpr int kWasapiFormatFloat = 0;            // CheckFormat's answer

// Flags: 1 enabled, 3 enabled and the default device. False past the last device.
bool BASS_WASAPI_GetDeviceInfo(int device, WasapiDeviceInfo* info);
// kWasapiFormatFloat when the device plays `freq` exactly with 2 channels in
// exclusive mode; -1 otherwise (also while another user holds it).
int BASS_WASAPI_CheckFormat(int device, std::uint32_t freq, std::uint32_t chans,
                            std::uint32_t flags);
// Takes the device (-1: the default one) exclusively at `freq`, 2 channels. `buffer`
// and `period` are in seconds (period 0 = a quarter of the buffer). False when it is
// busy, refuses the rate, or while a device is already initialised. Shared mode is
// not offered: flags must hold kWasapiExclusive.
bool BASS_WASAPI_Init(int device, std::uint32_t freq, std::uint32_t chans, std::uint32_t flags,
                      float buffer, float period, WasapiProc proc, void* user);
bool BASS_WASAPI_Free();
bool BASS_WASAPI_Start();
// Returns once the callback has been called for the last time; the device is let go
// until the next start. Whether or not `reset` is set, what is queued is dropped.
bool BASS_WASAPI_Stop(bool reset);
// True while the output thread runs; false again when the device was lost.
bool BASS_WASAPI_IsStarted();
// Only the linear curve: a gain from 0.0 to 1.0, applied only when not exactly 1.0.
bool BASS_WASAPI_SetVolume(std::uint32_t curve, float volume);

// Why the last failed call failed, or why playback ended by itself: for messages.
std::string wasapi_last_error();

}  // namespace sonvale::audiolib
