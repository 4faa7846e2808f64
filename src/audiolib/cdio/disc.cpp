#include "audiolib/cdio/disc.h"

#include <cdio/cdio.h>
#include <cdio/cdtext.h>
#include <cdio/logging.h>
#include <cdio/mmc_ll_cmds.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <mutex>

#include "platform/text_encoding.h"

namespace sonvale::audiolib::cdio {
namespace {

constexpr int kLastTrackNumber = 99;
constexpr int kKilobytesAt1x = 176;  // kB/s, as drives count them

// The CD-Text fields handed on, with the names they go by.
constexpr struct {
  cdtext_field_t field;
  const char* name;
} kTextFields[] = {
    {CDTEXT_FIELD_TITLE, "TITLE"},       {CDTEXT_FIELD_PERFORMER, "PERFORMER"},
    {CDTEXT_FIELD_SONGWRITER, "SONGWRITER"}, {CDTEXT_FIELD_COMPOSER, "COMPOSER"},
    {CDTEXT_FIELD_ARRANGER, "ARRANGER"}, {CDTEXT_FIELD_MESSAGE, "MESSAGE"},
};

// libcdio reports through a process-wide handler that prints; the player has no
// log, and a broken image is an ordinary refusal.
void quiet(cdio_log_level_t, const char*) {}

std::uintmax_t file_size(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? static_cast<std::uintmax_t>(info.st_size) : 0;
}

void initialise() {
  static std::once_flag once;
  std::call_once(once, [] {
    cdio_log_set_handler(quiet);
    cdio_init();
  });
}

}  // namespace

std::unique_ptr<Disc> Disc::open_device(const std::string& device) {
  if (!is_cd_device(device)) return nullptr;
  CdIo_t* cdio = cdio_open(device.c_str(), DRIVER_DEVICE);
  if (cdio == nullptr) return nullptr;
  std::unique_ptr<Disc> disc(new Disc(cdio, nullptr));
  return disc->read_toc() ? std::move(disc) : nullptr;
}

std::unique_ptr<Disc> Disc::open_image(const std::string& sheet) {
  initialise();
  std::unique_ptr<ImageSheet> image = ImageSheet::prepare(sheet);
  if (!image) return nullptr;
  CdIo_t* cdio = image->kind() == ImageSheet::Kind::Cue ? cdio_open_cue(image->sheet().c_str())
                                                        : cdio_open(image->sheet().c_str(), DRIVER_CDRDAO);
  if (cdio == nullptr) return nullptr;
  std::unique_ptr<Disc> disc(new Disc(cdio, std::move(image)));
  for (const std::string& file : disc->sheet_->data_files()) disc->data_sizes_.push_back(file_size(file));
  return disc->read_toc() ? std::move(disc) : nullptr;
}

bool Disc::data_unchanged() const {
  if (!sheet_) return true;
  const std::vector<std::string>& files = sheet_->data_files();
  for (std::size_t i = 0; i < files.size(); ++i)
    if (file_size(files[i]) < data_sizes_[i]) return false;
  return true;
}

Disc::~Disc() { cdio_destroy(cdio_); }

bool Disc::read_toc() {
  const track_t first = cdio_get_first_track_num(cdio_);
  const track_t count = cdio_get_num_tracks(cdio_);
  if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || first == 0 || count == 0 ||
      first + count - 1 > kLastTrackNumber)
    return false;
  // Sectors that hold data: the image's data, or the disc up to its lead-out.
  const lsn_t end = cdio_get_disc_last_lsn(cdio_);
  for (int number = first; number < first + count; ++number) {
    Track track;
    track.number = number;
    track.first = cdio_get_track_lsn(cdio_, static_cast<track_t>(number));
    track.last = cdio_get_track_last_lsn(cdio_, static_cast<track_t>(number));
    track.audio = cdio_get_track_format(cdio_, static_cast<track_t>(number)) == TRACK_FORMAT_AUDIO;
    if (track.first == CDIO_INVALID_LSN || track.last == CDIO_INVALID_LSN || track.first < 0 ||
        track.last < track.first || (!tracks_.empty() && track.first <= tracks_.back().last) ||
        (end != CDIO_INVALID_LSN && track.last >= end))
      return false;
    tracks_.push_back(track);
  }
  leadout_ = tracks_.back().last + 1;
  return true;
}

const Track* Disc::track(int number) const {
  for (const Track& t : tracks_)
    if (t.number == number) return &t;
  return nullptr;
}

std::vector<CdTextItem> Disc::cd_text() const {
  std::vector<CdTextItem> items;
  cdtext_t* text = cdio_get_cdtext(cdio_);
  if (text == nullptr) return items;
  for (int track = 0; track <= tracks_.back().number; ++track) {
    for (const auto& field : kTextFields) {
      const char* value = cdtext_get_const(text, field.field, static_cast<track_t>(track));
      if (value != nullptr && value[0] != '\0') items.push_back({field.name, track, platform::to_utf8(value)});
    }
  }
  return items;
}

namespace {

// A device opened without looking for a disc.
struct DeviceHandle {
  explicit DeviceHandle(const std::string& device)
      : cdio(is_cd_device(device) ? cdio_open(device.c_str(), DRIVER_DEVICE) : nullptr) {}
  ~DeviceHandle() {
    if (cdio != nullptr) cdio_destroy(cdio);
  }
  CdIo_t* cdio;
};

// The capabilities page (2Ah) after the mode parameter header and any block
// descriptors; its bytes 8 and 9 give the top read speed in kB/s.
int top_speed_of(CdIo_t* cdio) {
  unsigned char buffer[256] = {};
  if (mmc_mode_sense_10(cdio, buffer, sizeof buffer, 0x2A) != DRIVER_OP_SUCCESS) return -1;
  const std::size_t page = 8 + (static_cast<std::size_t>(buffer[6]) << 8 | buffer[7]);
  if (page + 10 > sizeof buffer || (buffer[page] & 0x3F) != 0x2A) return -1;
  const int kilobytes = buffer[page + 8] << 8 | buffer[page + 9];
  const int speed = (kilobytes + kKilobytesAt1x / 2) / kKilobytesAt1x;
  return speed > 0 ? speed : -1;
}

}  // namespace

std::optional<DeviceFacts> device_facts(const std::string& device) {
  DeviceHandle handle(device);
  if (handle.cdio == nullptr) return std::nullopt;
  DeviceFacts facts;
  cdio_hwinfo_t info{};
  if (cdio_get_hwinfo(handle.cdio, &info)) {
    facts.vendor = info.psz_vendor;
    facts.model = info.psz_model;
    facts.revision = info.psz_revision;
  }
  facts.top_speed = top_speed_of(handle.cdio);
  return facts;
}

bool set_device_speed(const std::string& device, int speed) {
  DeviceHandle handle(device);
  // The kernel reads a speed of 0 as "the fastest".
  return handle.cdio != nullptr && cdio_set_speed(handle.cdio, speed > 0 ? speed : 0) == DRIVER_OP_SUCCESS;
}

bool is_cd_device(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISBLK(info.st_mode)) return false;
  initialise();
  return cdio_is_device(path.c_str(), DRIVER_DEVICE);
}

std::vector<std::string> cd_devices() {
  initialise();
  std::vector<std::string> devices;
  std::vector<std::string> seen;  // each device once, however many names lead to it
  char** list = cdio_get_devices(DRIVER_DEVICE);
  for (char** name = list; name != nullptr && *name != nullptr; ++name) {
    char resolved[PATH_MAX];
    const std::string real = ::realpath(*name, resolved) != nullptr ? resolved : *name;
    if (std::find(seen.begin(), seen.end(), real) != seen.end() || !is_cd_device(*name)) continue;
    seen.push_back(real);
    devices.emplace_back(*name);
  }
  if (list != nullptr) cdio_free_device_list(list);
  return devices;
}

}  // namespace sonvale::audiolib::cdio
