#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sonvale::audiolib {

// The recording calls of the player, over ALSA. A recording device is a sound card's
// capture device (hw:C,D) or the built-in "Test loop", which records what the system
// sound output plays (system_sound.h); record_catalog.h gives their order. Its
// "inputs" are the card's capture mixer elements, or the one input "Capture" of a
// device without any, or the Test loop's "Test tone". One device is initialised at a
// time. Recording is stereo 32-bit float, handed to a callback on a capture thread of
// this layer one device period (about 10 ms) at a time; integer devices are
// converted exactly (device_format.h). Calls from any thread; of them the callback
// may make BASS_RecordSetInput only (a level that follows the recording).

// Called on the capture thread with one block of recorded float frames; false ends
// the recording.
using RecordProc = bool (*)(std::uint32_t handle, const void* buffer, std::uint32_t length, void* user);

struct RecordDeviceInfo {
  std::string name;    // "card name: device name (hw:C,D)", "Test loop"
  std::string driver;  // the ALSA PCM name, or "testloop"
  std::uint32_t flags = 0;
};

inline constexpr std::uint32_t kRecordDeviceEnabled = 1;
inline constexpr std::uint32_t kRecordDeviceInitialised = 4;

inline constexpr std::uint32_t kRecordInputOff = 0x10000;  // SetInput: switch capture off
inline constexpr std::uint32_t kRecordInputOn = 0x20000;   // SetInput: switch capture on
inline constexpr std::uint32_t kRecordFloat = 0x100;       // RecordStart: 32-bit float samples

// False past the last device.
bool BASS_RecordGetDeviceInfo(int device, RecordDeviceInfo* info);
// Chooses the device that the other calls address and reads its inputs; the device
// itself is taken only when recording starts. False for a device that does not
// exist, or while one is already initialised.
bool BASS_RecordInit(int device);
// Ends any recording and lets the device go.
bool BASS_RecordFree();
// The name of input `input` of the initialised device; nothing past the last.
std::optional<std::string> BASS_RecordGetInputName(int input);
// Switches input `input` on or off (kRecordInputOn, kRecordInputOff, or neither to
// leave it) and sets its level: 0.0 to 1.0 (clamped), linear over the mixer
// element's own range; a negative volume leaves the level as it is.
bool BASS_RecordSetInput(int input, std::uint32_t flags, float volume);
// Takes the device and starts recording `chans` = 2 channels at `freq` Hz as float
// (flags must hold kRecordFloat). Returns the recording's handle, 0 on failure: the
// device is busy or gone, or does not record at that rate even through ALSA's
// resampling. The Test loop records at 44,100 Hz only.
std::uint32_t BASS_RecordStart(std::uint32_t freq, std::uint32_t chans, std::uint32_t flags, RecordProc proc,
                               void* user);

// From RecordStart until Free, or until the callback declined or the device was lost.
bool record_running();
// Why the last failed call failed, or why recording ended by itself: for messages.
std::string record_last_error();

}  // namespace sonvale::audiolib
