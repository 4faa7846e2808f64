#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audiolib/bass_cd.h"
#include "audiolib/cdio/disc.h"

namespace sonvale::audiolib {

struct CdDrive {
  std::string path;  // a CD device, or a disc image's sheet
  bool image = false;
};

// The drives of the CD calls by number: the CD devices in libcdio's order, then the
// disc images the player has been given, in the order they came, up to 26 in all.
// A number once given keeps its drive for the whole run. Safe from any thread.
std::optional<CdDrive> cd_drive(int drive);

// Makes the drive one of the numbered ones, unless it is already: its number, or -1
// when every number is taken.
int attach_drive(const CdDrive& drive);

// The disc in a drive, opened afresh; null when there is none to read.
std::unique_ptr<cdio::Disc> open_disc(const CdDrive& drive);

// The path named as a drive: a CD device, or a file named like a disc image's
// sheet; the trailing "/" of a drive's root taken off.
std::optional<CdDrive> as_drive(const std::string& path);

}  // namespace sonvale::audiolib
