#pragma once

#include <cstdint>

// The decoding calls of the player, over FFmpeg. Streams are decode-only: the caller
// pulls interleaved stereo 32-bit float frames (8 bytes each) at the file's own rate.
// Mono is copied to both sides, more channels are down-mixed (audiolib/stereo_mix.h),
// stereo passes untouched. Lengths are exact: reading a whole stream yields exactly
// BASS_ChannelGetLength bytes, encoder delay and padding already trimmed.
//
// Every call may be made from any thread. Handles live in one table behind a lock;
// each stream has a lock of its own, so one thread may read a stream while others
// open and free other streams. A stream freed while another thread reads it goes
// away once that read returns.
namespace sonvale::audiolib {

// A stream handle; 0 is never a stream.
using Handle = std::uint32_t;

// Flags of the creation calls. Decode-only and float are required.
inline constexpr std::uint32_t kFlagFloat = 0x100;
inline constexpr std::uint32_t kFlagPrescan = 0x20000;  // measure the length by decoding
inline constexpr std::uint32_t kFlagDecode = 0x200000;

inline constexpr std::uint32_t kPositionBytes = 0;       // mode of GetLength, GetPosition
inline constexpr std::uint32_t kAttributeRate = 1;       // sample rate in Hz
inline constexpr std::uint32_t kFilePositionCurrent = 0;  // mode of GetFilePosition

// The sample rates a stream may have: no sound card plays a rate outside them.
inline constexpr int kLowestSampleRate = 8'000;
inline constexpr int kHighestSampleRate = 768'000;

// Codes of BASS_ErrorGetCode, fixed; the player's "ERROR" box shows them.
inline constexpr int kErrorStopped = -1;       // a length measurement given up (scan_stop.h)
inline constexpr int kErrorOk = 0;
inline constexpr int kErrorMemory = 1;
inline constexpr int kErrorFileOpen = 2;       // missing, unreadable, or not a regular file
inline constexpr int kErrorHandle = 5;         // not a live stream
inline constexpr int kErrorInit = 8;           // BASS_Init has not been called
inline constexpr int kErrorAlready = 14;       // BASS_Init called a second time
inline constexpr int kErrorIllegalType = 19;   // unknown attribute or mode
inline constexpr int kErrorIllegalParam = 20;  // an argument these calls do not take
inline constexpr int kErrorDevice = 23;        // a device other than 0 (no sound)
inline constexpr int kErrorSampleRate = 25;    // a rate outside kLowestSampleRate..kHighestSampleRate
inline constexpr int kErrorFileFormat = 41;    // content this call does not decode
inline constexpr int kErrorCodec = 44;         // audio that cannot be decoded
inline constexpr int kErrorEnded = 45;         // the stream has ended

// Device 0 only: decoding without a sound device. `freq`, `flags`, `window` and
// `clsid` are accepted and unused.
bool BASS_Init(int device, std::uint32_t freq, std::uint32_t flags, void* window, const void* clsid);
// Frees every stream.
bool BASS_Free();

// The last error of the calling thread's previous call; 0 after a success.
int BASS_ErrorGetCode();
// What a code of BASS_ErrorGetCode means, in a few words, for messages.
const char* error_text(int code);

// Opens `file` (a zero-terminated path) from its start to its end: `mem` false,
// `offset` and `length` 0. Returns 0 on failure. Each call opens its own kind of
// content only (audiolib/content_rules.h), and none a stream at an impossible rate.
Handle BASS_StreamCreateFile(bool mem, const char* file, std::uint64_t offset, std::uint64_t length,
                             std::uint32_t flags);
Handle BASS_AAC_StreamCreateFile(bool mem, const char* file, std::uint64_t offset,
                                 std::uint64_t length, std::uint32_t flags);
Handle BASS_ALAC_StreamCreateFile(bool mem, const char* file, std::uint64_t offset,
                                  std::uint64_t length, std::uint32_t flags);
Handle BASS_MP4_StreamCreateFile(bool mem, const char* file, std::uint64_t offset,
                                 std::uint64_t length, std::uint32_t flags);
Handle BASS_FLAC_StreamCreateFile(bool mem, const char* file, std::uint64_t offset,
                                  std::uint64_t length, std::uint32_t flags);
Handle BASS_WMA_StreamCreateFile(bool mem, const char* file, std::uint64_t offset,
                                 std::uint64_t length, std::uint32_t flags);
Handle BASS_WV_StreamCreateFile(bool mem, const char* file, std::uint64_t offset,
                                std::uint64_t length, std::uint32_t flags);

// Copies up to `length` bytes (whole frames) of decoded data into `buffer`. Delivers
// the full count whenever the stream holds that much, fewer only at its end; -1 with
// kErrorEnded once nothing is left.
std::int32_t BASS_ChannelGetData(Handle handle, void* buffer, std::uint32_t length);
// Bytes of the whole decoded stream, and bytes delivered so far; -1 on failure. A
// length that has to be measured over the whole file is measured by the first call,
// on its thread (audiolib/scan_stop.h).
std::int64_t BASS_ChannelGetLength(Handle handle, std::uint32_t mode);
std::int64_t BASS_ChannelGetPosition(Handle handle, std::uint32_t mode);
bool BASS_ChannelGetAttribute(Handle handle, std::uint32_t attribute, float* value);
// The decoder's byte offset in the file; -1 on failure.
std::int64_t BASS_StreamGetFilePosition(Handle handle, std::uint32_t mode);
bool BASS_StreamFree(Handle handle);

}  // namespace sonvale::audiolib
