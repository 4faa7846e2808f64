#include "audiolib/paranoia/track_reader.h"

#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <cstdio>

namespace sonvale::audiolib::paranoia {
namespace {

// A multiple of five: paranoia only weighs the count at every fifth retry.
constexpr int kRetries = 20;

// Paranoia's callback has no room for the caller; a read runs on one thread, so the
// thread says whose read it is. The lowest sector reported lost, -1 for none.
thread_local std::int64_t* t_lost_sector = nullptr;
thread_local bool t_plain = false;

void on_event(long word, paranoia_cb_mode_t event) {
  // A plain read has no second try: its read error is final. A verified read may
  // still mend one; only a skip means it gave up.
  const bool lost = event == PARANOIA_CB_SKIP || (t_plain && event == PARANOIA_CB_READERR);
  if (!lost || t_lost_sector == nullptr) return;
  const std::int64_t sector = word / CD_FRAMEWORDS;
  if (*t_lost_sector < 0 || sector < *t_lost_sector) *t_lost_sector = sector;
}

}  // namespace

struct TrackReader::Handles {
  cdrom_drive_t* drive = nullptr;
  cdrom_paranoia_t* paranoia = nullptr;
  std::int64_t lost_sector = -1;

  ~Handles() {
    if (paranoia != nullptr) cdio_paranoia_free(paranoia);
    // The disc belongs to the caller.
    if (drive != nullptr) cdio_cddap_close_no_free_cdio(drive);
  }
};

namespace {

// Paranoia's view of the disc; false when it cannot take it.
bool open_drive(CdIo_t* disc, TrackReader::Handles& handles) {
  handles.drive = cdio_cddap_identify_cdio(disc, CDDA_MESSAGE_FORGETIT, nullptr);
  if (handles.drive == nullptr) return false;
  // CD audio is little-endian; saying so spares paranoia guessing it from the music.
  handles.drive->bigendianp = 0;
  return cdio_cddap_open(handles.drive) == 0;
}

}  // namespace

std::vector<Bounds> track_bounds(CdIo_t* disc) {
  TrackReader::Handles handles;
  std::vector<Bounds> bounds;
  if (!open_drive(disc, handles)) return bounds;
  for (int track = 1; track <= handles.drive->tracks; ++track)
    bounds.push_back({cdio_cddap_track_firstsector(handles.drive, track),
                      cdio_cddap_track_lastsector(handles.drive, track)});
  return bounds;
}

std::unique_ptr<TrackReader> TrackReader::open(CdIo_t* disc, int track, Care care) {
  auto handles = std::make_unique<Handles>();
  if (!open_drive(disc, *handles)) return nullptr;
  if (track < 1 || track > handles->drive->tracks || !cdio_cddap_track_audiop(handles->drive, track))
    return nullptr;
  // One sector a read: a short image then fails the very sector it lacks.
  if (care == Care::Plain) handles->drive->nsectors = 1;
  handles->paranoia = cdio_paranoia_init(handles->drive);
  if (handles->paranoia == nullptr) return nullptr;
  cdio_paranoia_modeset(handles->paranoia, care == Care::Verify ? PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP
                                                                 : PARANOIA_MODE_DISABLE);

  std::unique_ptr<TrackReader> reader(new TrackReader(std::move(handles)));
  reader->care_ = care;
  reader->first_ = cdio_cddap_track_firstsector(reader->handles_->drive, track);
  reader->last_ = cdio_cddap_track_lastsector(reader->handles_->drive, track);
  if (reader->first_ < 0 || reader->last_ < reader->first_) return nullptr;
  reader->next_ = reader->first_;
  cdio_paranoia_seek(reader->handles_->paranoia, reader->first_, SEEK_SET);
  return reader;
}

TrackReader::TrackReader(std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {}

TrackReader::~TrackReader() = default;

const std::int16_t* TrackReader::next_sector() {
  if (failed_ || next_ > last_) return nullptr;
  t_lost_sector = &handles_->lost_sector;
  t_plain = care_ == Care::Plain;
  const std::int16_t* samples = cdio_paranoia_read_limited(handles_->paranoia, on_event, kRetries);
  t_lost_sector = nullptr;
  const std::int64_t lost = handles_->lost_sector;
  if (samples == nullptr || (lost >= 0 && lost <= next_)) {
    failed_ = true;
    return nullptr;
  }
  ++next_;
  return samples;
}

}  // namespace sonvale::audiolib::paranoia
