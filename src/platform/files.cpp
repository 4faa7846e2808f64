#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace sonvale::platform {
namespace {

bool names_a_folder(const std::string& folder, const dirent& entry) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
  std::string path = folder;
  if (path.empty() || path.back() != '/') path += '/';
  path += entry.d_name;
  return is_directory(path);
}

// The documents folder of the desktop's user-dirs.dirs, as xdg-user-dirs writes it
// and QStandardPaths reads it: the first XDG_DOCUMENTS_DIR line, its value in
// quotes, either "$HOME/..." or an absolute path. Empty when none is configured.
std::string configured_documents_folder(const std::string& home) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string folder = config != nullptr && *config == '/' ? std::string(config) : home + "/.config";
  std::ifstream file(folder + "/user-dirs.dirs");
  constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
  for (std::string line; std::getline(file, line);) {
    if (!line.starts_with(kKey)) continue;
    std::string_view value = std::string_view(line).substr(kKey.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.starts_with("$HOME")) return home + std::string(value.substr(5));
    return value.starts_with('/') ? std::string(value) : std::string();
  }
  return {};
}

std::int64_t local_seconds(std::time_t utc) {
  std::tm local{};
  if (localtime_r(&utc, &local) == nullptr) return utc;
  return static_cast<std::int64_t>(utc) + local.tm_gmtoff;
}

}  // namespace

std::vector<DirectoryEntry> list_directory(const std::string& folder) {
  std::vector<DirectoryEntry> entries;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return entries;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    entries.push_back({name, names_a_folder(folder, *entry)});
  }
  closedir(dir);
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  return entries;
}

bool is_directory(const std::string& path) {
  struct stat st{};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::int64_t> file_created_local_seconds(const std::string& path) {
  struct statx st{};
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &st) != 0) return std::nullopt;
  const bool born = (st.stx_mask & STATX_BTIME) != 0 && st.stx_btime.tv_sec != 0;
  return local_seconds(static_cast<std::time_t>(born ? st.stx_btime.tv_sec : st.stx_mtime.tv_sec));
}

bool touch_file_ends(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  char byte = 0;
  struct stat st{};
  if (pread(fd, &byte, 1, 0) >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    (void)pread(fd, &byte, 1, st.st_size - 1);
  close(fd);
  return true;
}

std::string absolute_path(const std::string& typed) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path path = fs::absolute(typed, error);
  if (error || typed.empty()) return typed;
  const fs::path name = path.filename();
  if (name.empty() || name == "." || name == "..") {
    const fs::path folder = fs::weakly_canonical(path, error);
    return error ? path.lexically_normal().string() : folder.string();
  }
  const fs::path folder = fs::weakly_canonical(path.parent_path(), error);
  return error ? path.lexically_normal().string() : (folder / name).string();
}

std::string documents_folder() {
  const char* home_variable = std::getenv("HOME");
  const std::string home = home_variable != nullptr ? home_variable : "/";
  std::string folder = home;
  if (const char* xdg = std::getenv("XDG_DOCUMENTS_DIR"); xdg != nullptr && is_directory(xdg))
    folder = xdg;
  else if (const std::string configured = configured_documents_folder(home); is_directory(configured))
    folder = configured;
  else if (is_directory(home + "/Documents"))
    folder = home + "/Documents";
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace sonvale::platform
