#include "loading/open_track.h"

#include <string>
#include <string_view>

#include "audiolib/bass.h"
#include "audiolib/bass_cd.h"
#include "audiolib/scan_stop.h"
#include "loading/file_readable.h"
#include "loading/release_decoder.h"
#include "platform/time.h"
#include "playlist/candidate.h"
#include "playlist/creation_calls.h"

namespace sonvale::loading {
namespace {

using audiolib::kFlagDecode;
using audiolib::kFlagFloat;
using audiolib::kFlagPrescan;
using playlist::CreationCalls;

constexpr int kAttempts = 16;
constexpr std::uint32_t kFlags = kFlagDecode | kFlagFloat;

struct FormatRow {
  std::string_view key;  // the upper-cased extension
  bool check_readable;
  CreationCalls calls;
  std::uint32_t flags;
  bool cd = false;  // read from the entry's drive and track, not from a file
};

// MP3 alone is pre-scanned, for an exact length and exact positions.
constexpr FormatRow kFormats[] = {
    {"MP3", true, CreationCalls::Plain, kFlags | kFlagPrescan},
    {"OGG", true, CreationCalls::Plain, kFlags},
    {"WAV", true, CreationCalls::Plain, kFlags},
    {"M4A", true, CreationCalls::Mp4Family, kFlags},
    {"AAC", true, CreationCalls::Mp4Family, kFlags},
    {"WMA", true, CreationCalls::Wma, kFlags},
    {"FLAC", true, CreationCalls::Flac, kFlags},
    {"CDA", false, CreationCalls::None, kFlags, true},
    {"WV", true, CreationCalls::WavPack, kFlags},
};

// The drive's stored speed, then half of it, then its fastest; the track is read
// whichever the drive took.
audiolib::Handle open_cd_track(const playlist::PlaylistEntry& entry, std::uint32_t flags) {
  using namespace audiolib;
  if (!BASS_CD_SetSpeed(entry.cd_drive, entry.cd_read_speed) &&
      !BASS_CD_SetSpeed(entry.cd_drive, static_cast<int>(entry.cd_read_speed / 2.0)))
    BASS_CD_SetSpeed(entry.cd_drive, -1);
  return BASS_CD_StreamCreate(entry.cd_drive, entry.cd_track, flags);
}

const FormatRow* row_of(std::string_view key) {
  for (const FormatRow& row : kFormats)
    if (row.key == key) return &row;
  return nullptr;
}

}  // namespace

void open_track(Loader& loader, int page, int index) {
  // A copy: the entry may be removed meanwhile on the main thread.
  const std::optional<playlist::PlaylistEntry> entry = loader.playlist.entry(page, index);
  if (entry)
    open_entry(loader, page, *entry);
  else
    release_decoder(loader.playback.current_decoder);
}

void open_entry(Loader& loader, int page, const playlist::PlaylistEntry& entry) {
  std::atomic<std::uint32_t>& decoder = loader.playback.current_decoder;
  release_decoder(decoder);
  const platform::Colour colour = playlist::page_colour(page);

  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const FormatRow* row = row_of(playlist::upper_ascii(entry.extension));
    const bool has_calls = row != nullptr && row->calls != CreationCalls::None;
    int code = audiolib::kErrorFileOpen;
    if (row != nullptr && row->cd) {
      decoder.store(open_cd_track(entry, row->flags));
      code = audiolib::BASS_ErrorGetCode();
    } else if (has_calls && (!row->check_readable || is_file_readable(entry.path))) {
      decoder.store(playlist::create_stream(row->calls, entry.path, row->flags));
      code = audiolib::BASS_ErrorGetCode();
    } else if (!has_calls) {
      // No call was made: the thread's previous code.
      code = audiolib::BASS_ErrorGetCode();
    }
    if (code == audiolib::kErrorOk) break;
    platform::sleep_ms(60);
    loader.ui.message_box("ERROR", std::to_string(code), 0);
  }

  const audiolib::Handle opened = decoder.load();
  if (opened == 0) return;
  std::int64_t length = 0;
  {
    // An MP3's length is counted over the whole file; a stop need not wait for it.
    const audiolib::ScanStop stop([&loader] { return loader.playback.stop_request.load() != 0; });
    length = audiolib::BASS_ChannelGetLength(opened, audiolib::kPositionBytes);
  }
  loader.queue.append(entry.folder_name, entry.title, length, colour, TrackOrigin{page, entry.id, opened});
  loader.playlist.set_played_mark_of(page, entry.id, 1);
}

}  // namespace sonvale::loading
