#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace sonvale::audiolib {

// The system's ordinary sound output, for short sounds such as the input mode's test
// tone: ALSA's shared "default" device, resampled there as it needs, or, when that
// does not open, a silent sink that keeps real time. Sounds are 16-bit PCM WAV files
// at 44,100 Hz, mono or stereo, numbered by the caller; one plays at a time. What
// plays also reaches the Test loop recording device (record.h), whichever of the two
// carries it. Calls from any thread.

inline constexpr unsigned kSystemSoundRate = 44100;

// Loads `wav` (the file's bytes) as sound `sound`, replacing one of that number.
// False for a file that is not such a WAV.
bool system_sound_load(int sound, std::span<const std::uint8_t> wav);
// Plays the sound from its start, in a loop or once, at `volume` 0 to 100; a sound
// already playing stops first.
bool system_sound_play(int sound, bool loop, int volume);
// Stops the sound if it plays.
void system_sound_stop(int sound);
// Stops it and forgets it.
void system_sound_free(int sound);

// The ALSA device later plays go to ("default" at first; `config`, when not empty,
// defines it). An empty name leaves only the silent sink.
void system_sound_set_device(std::string pcm, std::string config = {});
// Whether the sound playing is heard (an ALSA device took it) rather than sunk.
bool system_sound_audible();

}  // namespace sonvale::audiolib
