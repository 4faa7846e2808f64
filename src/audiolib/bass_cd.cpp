#include "audiolib/bass_cd.h"

#include "audiolib/cd_drives.h"
#include "audiolib/cd_stream.h"
#include "audiolib/channel_table.h"

namespace sonvale::audiolib {
namespace {

constexpr std::uint32_t kKnownFlags = kFlagFloat | kFlagPrescan | kFlagDecode;
constexpr std::uint32_t kRequiredFlags = kFlagFloat | kFlagDecode;

// The drive, or nothing with kErrorDevice.
std::optional<CdDrive> drive_or_error(int drive) {
  std::optional<CdDrive> found = cd_drive(drive);
  if (!found) set_error(kErrorDevice);
  return found;
}

}  // namespace

bool BASS_CD_GetInfo(int drive, CdDriveInfo* info) {
  const std::optional<CdDrive> found = drive_or_error(drive);
  if (!found) return false;
  if (info == nullptr) {
    set_error(kErrorIllegalParam);
    return false;
  }
  *info = CdDriveInfo{};
  info->path = found->path;
  info->letter = drive;
  info->image = found->image;
  if (found->image) {
    info->product = "Disc image";
  } else if (const std::optional<cdio::DeviceFacts> facts = cdio::device_facts(found->path)) {
    info->vendor = facts->vendor;
    info->product = facts->model;
    info->revision = facts->revision;
    info->speed = facts->top_speed;
  } else {
    info->speed = -1;
  }
  set_error(kErrorOk);
  return true;
}

bool BASS_CD_IsReady(int drive) {
  const std::optional<CdDrive> found = drive_or_error(drive);
  if (!found) return false;
  const bool ready = open_disc(*found) != nullptr;
  set_error(ready ? kErrorOk : kErrorNoCd);
  return ready;
}

bool BASS_CD_SetSpeed(int drive, int speed) {
  const std::optional<CdDrive> found = drive_or_error(drive);
  if (!found) return false;
  const bool set = found->image || cdio::set_device_speed(found->path, speed);
  set_error(set ? kErrorOk : kErrorNotAvailable);
  return set;
}

Handle BASS_CD_StreamCreate(int drive, int track, std::uint32_t flags) {
  if (!channel_table().initialised()) {
    set_error(kErrorInit);
    return 0;
  }
  if ((flags & ~kKnownFlags) != 0 || (flags & kRequiredFlags) != kRequiredFlags) {
    set_error(kErrorIllegalParam);
    return 0;
  }
  const std::optional<CdDrive> found = drive_or_error(drive);
  if (!found) return 0;
  std::unique_ptr<cdio::Disc> disc = open_disc(*found);
  if (!disc) {
    set_error(kErrorNoCd);
    return 0;
  }
  const cdio::Track* wanted = disc->track(track + 1);
  if (wanted == nullptr || !wanted->audio) {
    set_error(wanted == nullptr ? kErrorCdTrack : kErrorNotAudio);
    return 0;
  }
  std::unique_ptr<CdStream> stream = CdStream::open(std::move(disc), track + 1);
  if (!stream) {
    set_error(kErrorNoCd);
    return 0;
  }
  auto channel = std::make_shared<Channel>();
  channel->stream = std::move(stream);
  const Handle handle = channel_table().add(std::move(channel));
  set_error(handle != 0 ? kErrorOk : kErrorInit);
  return handle;
}

int cd_attach_drive(const std::string& path) {
  const std::optional<CdDrive> drive = as_drive(path);
  // Only an image that can be read takes a number; a broken one is refused here.
  if (!drive || (drive->image && !open_disc(*drive))) return -1;
  return attach_drive(*drive);
}

std::optional<std::vector<int>> cd_audio_tracks(const std::string& path) {
  const std::optional<CdDrive> drive = as_drive(path);
  if (!drive) return std::nullopt;
  std::vector<int> numbers;
  if (const std::unique_ptr<cdio::Disc> disc = open_disc(*drive))
    for (const cdio::Track& track : disc->tracks())
      if (track.audio) numbers.push_back(track.number);
  return numbers;
}

bool cd_is_audio_track(int drive, int track) {
  const std::optional<CdDrive> found = cd_drive(drive);
  const std::unique_ptr<cdio::Disc> disc = found ? open_disc(*found) : nullptr;
  const cdio::Track* wanted = disc ? disc->track(track + 1) : nullptr;
  return wanted != nullptr && wanted->audio;
}

std::vector<std::string> cd_devices_with_audio() {
  std::vector<std::string> devices;
  for (const std::string& device : cdio::cd_devices()) {
    const std::optional<std::vector<int>> tracks = cd_audio_tracks(device);
    if (tracks && !tracks->empty()) devices.push_back(device);
  }
  return devices;
}

}  // namespace sonvale::audiolib
