#include "audiolib/cd_drives.h"

#include <sys/stat.h>

#include <mutex>

#include "audiolib/paranoia/track_reader.h"

namespace sonvale::audiolib {
namespace {

class DriveTable {
 public:
  std::optional<CdDrive> at(int drive) {
    if (drive < 0 || drive >= kCdDriveCount) return std::nullopt;
    std::lock_guard lock(mutex_);
    // A device plugged in since is taken in when a number past the known ones is asked for.
    if (static_cast<std::size_t>(drive) >= drives_.size()) add_devices();
    if (static_cast<std::size_t>(drive) >= drives_.size()) return std::nullopt;
    return drives_[static_cast<std::size_t>(drive)];
  }

  int attach(const CdDrive& drive) {
    std::lock_guard lock(mutex_);
    add_devices();
    if (int known = find(drive.path); known >= 0) return known;
    if (drives_.size() >= kCdDriveCount) return -1;
    drives_.push_back(drive);
    return static_cast<int>(drives_.size()) - 1;
  }

 private:
  int find(const std::string& path) const {  // mutex_ held
    for (std::size_t i = 0; i < drives_.size(); ++i)
      if (drives_[i].path == path) return static_cast<int>(i);
    return -1;
  }

  void add_devices() {  // mutex_ held
    for (const std::string& device : cdio::cd_devices())
      if (find(device) < 0 && drives_.size() < kCdDriveCount) drives_.push_back(CdDrive{device, false});
  }

  std::mutex mutex_;
  std::vector<CdDrive> drives_;  // guarded by mutex_
};

DriveTable& table() {
  static DriveTable drives;
  return drives;
}

bool is_regular_file(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::optional<CdDrive> cd_drive(int drive) { return table().at(drive); }

std::optional<CdDrive> as_drive(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  if (cdio::has_sheet_name(p) && is_regular_file(p)) return CdDrive{p, true};
  if (cdio::is_cd_device(p)) return CdDrive{p, false};
  return std::nullopt;
}

int attach_drive(const CdDrive& drive) { return table().attach(drive); }

std::unique_ptr<cdio::Disc> open_disc(const CdDrive& drive) {
  if (!drive.image) return cdio::Disc::open_device(drive.path);
  std::unique_ptr<cdio::Disc> disc = cdio::Disc::open_image(drive.path);
  if (!disc) return nullptr;
  // Paranoia reads by the tracks it sees itself. Where an odd sheet makes it see
  // them otherwise than libcdio, a track would run into sectors it never reads.
  const std::vector<paranoia::Bounds> bounds = paranoia::track_bounds(disc->handle());
  const std::vector<cdio::Track>& tracks = disc->tracks();
  if (bounds.size() != tracks.size()) return nullptr;
  for (std::size_t i = 0; i < tracks.size(); ++i)
    if (bounds[i].first != tracks[i].first || bounds[i].last != tracks[i].last) return nullptr;
  return disc;
}

}  // namespace sonvale::audiolib
