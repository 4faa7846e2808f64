#include "playlist/add_tracks.h"

#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "playlist/candidate.h"
#include "playlist/cd_track.h"
#include "playlist/probe_file.h"

namespace sonvale::playlist {
namespace {

constexpr std::string_view kDialogTitle = "Open Audio WAV/MP3/OGG/FLAC/M4A/AAC/WMA/WV/CDA files";
// Disc images' sheets too: there are no track files on the disc to choose.
constexpr std::string_view kDialogFilter = "*.WAV;*.FLAC;*.MP3;*.OGG;*.M4A;*.AAC;*.WMA;*.CDA;*.WV;*.CUE;*.TOC";

// Every audio track of the disc the path names, in order; false when it names none.
bool add_disc(Playlist& playlist, const std::string& path) {
  const std::optional<std::vector<std::string>> tracks = disc_track_paths(path);
  if (!tracks) return false;
  for (const std::string& track : *tracks)
    if (add_cd_track(playlist, track)) playlist.append_staged();
  return true;
}

void add_candidate(Playlist& playlist, const std::string& path, const Candidate& candidate) {
  bool accepted = false;
  switch (candidate.kind) {
    case Candidate::Kind::Probe: accepted = probe_file(playlist, path, candidate.extension); break;
    case Candidate::Kind::CdTrack: accepted = add_cd_track(playlist, path); break;
    // A CD device has no ending to tell it by ("/dev/sr0").
    case Candidate::Kind::DiscImage:
    case Candidate::Kind::Ignore: add_disc(playlist, path); break;
  }
  if (accepted) playlist.append_staged();
}

// Empty items and those beginning with "." are passed over.
bool passed_over(const std::string& item) { return item.empty() || item.front() == '.'; }

// A folder's entries; a drive's root lists its tracks as TrackNN.cda files.
std::vector<platform::DirectoryEntry> entries_of(const std::string& folder) {
  const std::optional<std::vector<std::string>> tracks = disc_track_paths(folder);
  if (!tracks) return platform::list_directory(folder);
  std::vector<platform::DirectoryEntry> entries;
  for (const std::string& track : *tracks) entries.push_back({track.substr(track.rfind('/') + 1), false});
  return entries;
}

}  // namespace

void add_files(Playlist& playlist) {
  for (const std::string& path : playlist.ui().open_files_dialog(kDialogTitle, "*.*", kDialogFilter))
    add_candidate(playlist, path, classify_chosen(path));
}

void add_folders(Playlist& playlist, const std::vector<std::string>& folders) {
  for (std::string folder : folders) {
    if (passed_over(folder)) continue;
    // The folder picker ends each folder with "/"; a folder without one still
    // joins its file names as a folder.
    if (folder.back() != '/') folder += '/';
    for (const platform::DirectoryEntry& file : entries_of(folder)) {
      if (file.is_folder || file.name.front() == '.') continue;
      add_candidate(playlist, folder + file.name, classify_listed(file.name));
    }
  }
}

void add_dropped_files(Playlist& playlist, const std::vector<std::string>& paths) {
  for (const std::string& path : paths)
    if (!passed_over(path)) add_candidate(playlist, path, classify_listed(path));
}

}  // namespace sonvale::playlist
