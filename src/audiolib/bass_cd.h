#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audiolib/bass.h"

// The audio-CD calls of the player, over libcdio (discs, tracks, CD-Text),
// libcdio-paranoia (reading) and libcddb (CDDB). A drive is a CD device or a disc
// image, a CUE sheet with its BIN or a cdrdao TOC, which stands in for a disc in a
// drive; the drives are numbered 0 to 25 (audiolib/cd_drives.h). Every call may be
// made from any thread.
namespace sonvale::audiolib {

inline constexpr int kCdDriveCount = 26;

// Codes the CD calls add to BASS_ErrorGetCode's.
inline constexpr int kErrorNoCd = 12;          // no disc in the drive that can be read
inline constexpr int kErrorCdTrack = 13;       // the disc has no such track
inline constexpr int kErrorNotAudio = 17;      // a data track
inline constexpr int kErrorNotAvailable = 37;  // no such information about the disc

// What BASS_CD_GetID returns.
inline constexpr std::uint32_t kCdIdText = 4;            // CD-Text, "TITLE0=..." strings
inline constexpr std::uint32_t kCdIdCddbQuery = 0x200;   // asks the CDDB server
inline constexpr std::uint32_t kCdIdCddbFirst = 0x201;   // the record of the query's first match
inline constexpr std::uint32_t kCdIdCddbCached = 0x2FF;  // the record kept from an earlier query

struct CdDriveInfo {
  std::string vendor, product, revision;
  std::string path;   // the device or the image's sheet; the drive's root is path + "/"
  int letter = 0;     // the drive's number, which stands where a drive letter once stood
  // The read speed kept for the drive, in multiples of 1x (176.4 kB/s): the top
  // speed a device reports, -1 (the fastest) when it reports none; 0 for an image,
  // which has no speed to set.
  int speed = 0;
  bool image = false;
};

// False when `drive` is no drive.
bool BASS_CD_GetInfo(int drive, CdDriveInfo* info);
// A disc is in the drive and its table of contents can be read.
bool BASS_CD_IsReady(int drive);
// `speed` in multiples of 1x; -1 for the fastest. An image takes any speed.
bool BASS_CD_SetSpeed(int drive, int speed);
// Null when the disc has no such information. Otherwise a text valid until the
// calling thread's next BASS_CD_GetID: for kCdIdText, zero-terminated "TAGn=value"
// strings ended by an empty one, n being 0 for the disc and the track's number
// otherwise; for the CDDB ids, one zero-terminated text.
const char* BASS_CD_GetID(int drive, std::uint32_t id);
// A decode-only float stream of track `track` (0-based), served by the channel
// calls of audiolib/bass.h.
Handle BASS_CD_StreamCreate(int drive, int track, std::uint32_t flags);

// Makes the CD device or disc image at `path` (a trailing "/" allowed) a drive,
// unless it is one already: its number, or -1 when the path names neither a CD
// device nor a disc image that can be read, or all 26 numbers are taken.
int cd_attach_drive(const std::string& path);

// The numbers of the audio tracks on the disc at `path` (a CD device or a disc
// image's sheet, a trailing "/" allowed), in order: empty when there is no disc to
// read or no audio on it; nothing when the path names neither.
std::optional<std::vector<int>> cd_audio_tracks(const std::string& path);

// Track `track` (0-based) of the disc in the drive is an audio track.
bool cd_is_audio_track(int drive, int track);

// The CD devices that hold a disc with audio on it.
std::vector<std::string> cd_devices_with_audio();

}  // namespace sonvale::audiolib
