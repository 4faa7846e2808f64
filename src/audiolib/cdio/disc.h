#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audiolib/cdio/image_sheet.h"

// libcdio's handle, kept out of every header but this folder's.
typedef struct _CdIo CdIo_t;

namespace sonvale::audiolib::cdio {

struct Track {
  int number = 0;          // as the disc numbers it, from 1
  std::int32_t first = 0;  // first sector
  std::int32_t last = 0;   // last sector
  bool audio = false;
};

struct CdTextItem {
  std::string field;  // "TITLE", "PERFORMER", ...
  int track = 0;      // 0 for the disc
  std::string value;  // UTF-8
};

struct DeviceFacts {
  std::string vendor, model, revision;
  int top_speed = -1;  // the top read speed in multiples of 1x; -1 when the drive does not say
};

// One opening of a disc through libcdio: a CD device with a disc in it, or a disc
// image (a CUE sheet with its BIN, or a cdrdao TOC). Its table of contents is read
// once, at opening. Not thread-safe; every user opens its own.
class Disc {
 public:
  // Null when there is no readable disc: no disc or an open tray, an image that is
  // broken, or a table of contents whose tracks do not lie in order inside the data.
  static std::unique_ptr<Disc> open_device(const std::string& device);
  static std::unique_ptr<Disc> open_image(const std::string& sheet);
  ~Disc();
  Disc(const Disc&) = delete;
  Disc& operator=(const Disc&) = delete;

  CdIo_t* handle() const { return cdio_; }
  bool is_image() const { return sheet_ != nullptr; }
  const std::vector<Track>& tracks() const { return tracks_; }
  const Track* track(int number) const;
  // The sector after the last track: where the lead-out begins.
  std::int32_t leadout() const { return leadout_; }

  std::vector<CdTextItem> cd_text() const;

  // An image's files are as long as at opening. A file cut short since may have
  // handed libcdio a sector only partly there, which it passes on as read.
  bool data_unchanged() const;

 private:
  Disc(CdIo_t* cdio, std::unique_ptr<ImageSheet> sheet) : cdio_(cdio), sheet_(std::move(sheet)) {}
  bool read_toc();

  CdIo_t* cdio_;
  std::unique_ptr<ImageSheet> sheet_;  // removed after libcdio lets go of it
  std::vector<Track> tracks_;
  std::int32_t leadout_ = 0;
  std::vector<std::uintmax_t> data_sizes_;  // of the image's data files, at opening
};

// What a CD device says of itself, with or without a disc in it; empty when it
// cannot be opened.
std::optional<DeviceFacts> device_facts(const std::string& device);

// Asks a CD device for a read speed in multiples of 1x; -1 (or 0) for the fastest.
bool set_device_speed(const std::string& device, int speed);

// Whether `path` is a block device that libcdio takes for a CD drive.
bool is_cd_device(const std::string& path);

// The CD devices libcdio finds, in its order, each once.
std::vector<std::string> cd_devices();

}  // namespace sonvale::audiolib::cdio
