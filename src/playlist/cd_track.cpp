#include "playlist/cd_track.h"

#include <array>
#include <cstdio>

#include "audiolib/bass_cd.h"
#include "playlist/candidate.h"
#include "playlist/cd_texts.h"

namespace sonvale::playlist {
namespace {

using audiolib::kCdDriveCount;

constexpr std::int32_t kCdRate = 44100;

// What is known of each drive of the CD calls, by drive number. Filled as paths
// name them, never emptied. Main thread only.
struct DriveEntry {
  int letter = 0;
  std::string root;  // the drive's path and "/"; empty until the drive is asked about
  int read_speed = 0;
};

std::array<DriveEntry, kCdDriveCount>& drive_table() {
  static std::array<DriveEntry, kCdDriveCount> table;
  return table;
}

// The drive whose root begins the path; -1 when none of the library's does.
int find_drive(const std::string& path) {
  auto& table = drive_table();
  for (int i = 0; i < kCdDriveCount; ++i) {
    DriveEntry& entry = table[static_cast<std::size_t>(i)];
    if (!entry.root.empty() && path.starts_with(entry.root)) return i;
    audiolib::CdDriveInfo info;
    if (!audiolib::BASS_CD_GetInfo(i, &info)) return -1;  // no further drives
    entry.letter = info.letter;
    entry.root = info.path + "/";
    entry.read_speed = info.speed;
    if (path.starts_with(entry.root)) return i;
  }
  return -1;
}

// The number after the root and "TRACK", up to the first "."; 0 without digits.
int track_number(const std::string& path, const std::string& root) {
  std::string text = upper_ascii(path);
  const std::string marker = upper_ascii(root) + "TRACK";
  for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at))
    text.erase(at, marker.size());
  text = text.substr(0, text.find('.'));
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || n > 9999) break;
    n = n * 10 + (c - '0');
  }
  return n;
}

std::string two_digits(int n) {
  char text[12];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

// The texts of a track the disc tells about. A missing title shows as "Audio CD",
// a missing artist as no brackets, as a disc with no information at all shows.
void texts_with_information(PlaylistEntry& staged, const std::string& path, const std::string& n2) {
  const std::string& title = staged.track_title.empty() ? std::string("Audio CD") : staged.track_title;
  staged.title = n2 + " > " + title;
  staged.folder_and_title = staged.title;
  staged.display_text = "CD:44.1>" + path.substr(0, 2) +
                        (staged.artist.empty() ? std::string(" ") : "[" + staged.artist + "] ") + staged.title;
}

void texts_without_information(PlaylistEntry& staged, const std::string& path, const std::string& n2) {
  staged.title = n2 + " > Audio CD";
  staged.display_text = "CD:44.1>" + path.substr(0, 2) + " " + staged.title;
  staged.folder_and_title = staged.title;
}

void take(PlaylistEntry& staged, const DiscTexts& texts) {
  if (texts.artist) staged.artist = *texts.artist;
  if (texts.title) staged.track_title = *texts.title;
}

// CDDB's record of the disc: the one kept from before, else the server's first
// match. Empty when neither has one.
std::optional<std::string> cddb_record(int drive) {
  using namespace audiolib;
  const char* record = BASS_CD_GetID(drive, kCdIdCddbCached);
  if (record == nullptr) {
    if (BASS_CD_GetID(drive, kCdIdCddbQuery) == nullptr) return std::nullopt;
    record = BASS_CD_GetID(drive, kCdIdCddbFirst);
  }
  if (record == nullptr) return std::nullopt;
  return convert_text_encoding(record);
}

}  // namespace

bool add_cd_track(Playlist& playlist, const std::string& path) {
  PlaylistEntry& staged = playlist.staged();
  // Nothing of the previous addition may carry over into this one.
  staged = PlaylistEntry{};
  // An image or a device named in the path becomes a drive, as a disc put in a
  // drive would.
  const std::size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0) audiolib::cd_attach_drive(path.substr(0, slash));

  const int drive = find_drive(path);
  if (drive < 0) return false;
  if (!audiolib::BASS_CD_IsReady(drive)) return false;
  const DriveEntry& entry = drive_table()[static_cast<std::size_t>(drive)];
  const int n = track_number(path, entry.root);
  // A path names any number; only the disc's audio tracks are added.
  if (!audiolib::cd_is_audio_track(drive, n - 1)) return false;
  std::atomic<std::int32_t>& source_rate = playlist.source_rate();
  if (source_rate.load() == 0) source_rate.store(kCdRate);
  if (source_rate.load() != kCdRate) return false;

  staged.path = path;
  staged.extension = "CDA";
  staged.sample_rate = kCdRate;
  staged.cd_track = n - 1;
  staged.cd_drive = static_cast<std::uint8_t>(drive);
  staged.cd_read_speed = entry.read_speed;
  staged.folder_name = "Audio CD - Drive " + entry.root;
  const std::string n2 = two_digits(n);

  if (const char* text = audiolib::BASS_CD_GetID(drive, audiolib::kCdIdText)) {
    take(staged, cd_text_of_track(text, n));
  } else if (const std::optional<std::string> record = cddb_record(drive)) {
    take(staged, cddb_texts_of_track(*record, n));
  }
  if (staged.artist.empty() && staged.track_title.empty())
    texts_without_information(staged, path, n2);
  else
    texts_with_information(staged, path, n2);
  return true;
}

std::optional<std::vector<std::string>> disc_track_paths(const std::string& path) {
  const std::optional<std::vector<int>> numbers = audiolib::cd_audio_tracks(path);
  if (!numbers) return std::nullopt;
  std::string root = path;
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  std::vector<std::string> paths;
  for (int n : *numbers) paths.push_back(root + "/Track" + two_digits(n) + ".cda");
  return paths;
}

}  // namespace sonvale::playlist
