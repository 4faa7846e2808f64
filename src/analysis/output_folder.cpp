#include "analysis/output_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sonvale::analysis {
namespace {

constexpr const char* kProbeName = ".sonvale-write-test";

std::string reason(const std::string& what) { return what + ": " + std::strerror(errno); }

bool plain_name(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// Makes the folder at `path` unless there is one. A link to a folder counts only
// when `links_allowed`.
bool make_folder(const std::string& path, bool links_allowed, std::string& error) {
  if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
    error = reason("cannot make the folder " + path);
    return false;
  }
  struct stat info {};
  if ((links_allowed ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info)) != 0 || !S_ISDIR(info.st_mode)) {
    error = path + (links_allowed ? " is not a folder" : " is not a folder of its own (a link or a file has its name)");
    return false;
  }
  return true;
}

}  // namespace

std::optional<OutputFolder> OutputFolder::open(const std::string& path, std::string& error) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  if (trimmed.empty()) {
    error = "no folder given";
    return std::nullopt;
  }
  // The folder named may be a link: it is the user's choice of where to write.
  if (!make_folder(trimmed, true, error)) return std::nullopt;
  OutputFolder folder(trimmed);
  if (!folder.write(kProbeName, "", error)) {
    error = "cannot write into " + trimmed + " (" + error + ")";
    return std::nullopt;
  }
  folder.remove(kProbeName);
  return folder;
}

std::optional<OutputFolder> OutputFolder::subfolder(const std::string& name, std::string& error) const {
  if (!plain_name(name)) {
    error = "not a folder name: " + name;
    return std::nullopt;
  }
  if (!make_folder(file(name), false, error)) return std::nullopt;
  return OutputFolder(file(name));
}

bool OutputFolder::write(const std::string& name, std::string_view bytes, std::string& error) const {
  if (!plain_name(name)) {
    error = "not a file name: " + name;
    return false;
  }
  const std::string path = file(name);
  remove(name);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = reason("cannot write " + path);
    return false;
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = reason("cannot write " + path);
      ::close(fd);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) {
    error = reason("cannot write " + path);
    return false;
  }
  return true;
}

void OutputFolder::remove(const std::string& name) const {
  if (plain_name(name)) ::unlink(file(name).c_str());
}

}  // namespace sonvale::analysis
