#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sonvale::platform {

struct DirectoryEntry {
  std::string name;
  bool is_folder = false;  // a folder, or a link to one
};

// The entries of a folder without "." and "..", sorted by name byte by byte so that
// every file system lists a folder in the same order. Empty when the folder cannot
// be read.
std::vector<DirectoryEntry> list_directory(const std::string& folder);

bool is_directory(const std::string& path);

// When the file was made, as seconds since 1970-01-01 in local time: its birth time
// where the file system records one, else its last modification. Empty when the
// file cannot be examined.
std::optional<std::int64_t> file_created_local_seconds(const std::string& path);

// Opens the file for reading and reads its first and its last byte, so that the
// storage under it is awake. False only when it cannot be opened. Never waits on a
// pipe or a device.
bool touch_file_ends(const std::string& path);

// A path the user typed, made absolute against the working folder; "." and ".." are
// resolved through the folders they name, as the system would, while the file's own
// name is kept as typed. A path that cannot be resolved is returned as it is.
std::string absolute_path(const std::string& typed);

// The user's documents folder, ending in "/": the XDG_DOCUMENTS_DIR variable, else the
// folder the desktop names in user-dirs.dirs, else ~/Documents, else the home folder;
// each only when it exists.
std::string documents_folder();

}  // namespace sonvale::platform
