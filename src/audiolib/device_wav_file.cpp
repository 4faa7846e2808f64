#include "audiolib/device_wav_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace sonvale::audiolib {
namespace {

constexpr std::uint16_t kFormatIeeeFloat = 3;
constexpr std::uint32_t kFrameBytes = 8;
constexpr std::uint32_t kNoFit = 0xFFFFFFFF;  // a 32-bit size field of an RF64 file

class HeaderWriter {
 public:
  explicit HeaderWriter(std::array<std::byte, kWavHeaderBytes>& out) : out_(out) {}
  void tag(const char (&four)[5]) {
    std::memcpy(out_.data() + at_, four, 4);
    at_ += 4;
  }
  void u16(std::uint16_t v) { put(v, 2); }
  void u32(std::uint32_t v) { put(v, 4); }
  void u64(std::uint64_t v) { put(v, 8); }
  void zeros(std::size_t n) { at_ += n; }

 private:
  void put(std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out_[at_++] = static_cast<std::byte>((v >> (8 * i)) & 0xFF);
  }
  std::array<std::byte, kWavHeaderBytes>& out_;
  std::size_t at_ = 0;
};

DeviceStatus io_failure(const std::string& path, const char* step) {
  const int code = errno != 0 ? errno : EIO;
  return DeviceStatus::failure(-code,
                               path + ": " + step + ": " + std::system_category().message(code));
}

}  // namespace

std::array<std::byte, kWavHeaderBytes> wav_header(unsigned rate, std::uint64_t data_bytes) {
  const std::uint64_t riff_bytes = kWavHeaderBytes - 8 + data_bytes + (data_bytes & 1);
  const std::uint64_t frames = data_bytes / kFrameBytes;
  const bool rf64 = riff_bytes > kNoFit;
  std::array<std::byte, kWavHeaderBytes> header{};
  HeaderWriter w(header);
  w.tag(rf64 ? "RF64" : "RIFF");
  w.u32(rf64 ? kNoFit : static_cast<std::uint32_t>(riff_bytes));
  w.tag("WAVE");
  if (rf64) {
    w.tag("ds64");
    w.u32(28);
    w.u64(riff_bytes);
    w.u64(data_bytes);
    w.u64(frames);
    w.u32(0);  // no table of further large chunks
  } else {
    w.tag("JUNK");
    w.u32(28);
    w.zeros(28);
  }
  w.tag("fmt ");
  w.u32(18);
  w.u16(kFormatIeeeFloat);
  w.u16(2);
  w.u32(rate);
  w.u32(rate * kFrameBytes);
  w.u16(kFrameBytes);
  w.u16(32);
  w.u16(0);  // no extension
  w.tag("fact");
  w.u32(4);
  w.u32(rf64 || frames > kNoFit ? kNoFit : static_cast<std::uint32_t>(frames));
  w.tag("data");
  w.u32(rf64 ? kNoFit : static_cast<std::uint32_t>(data_bytes));
  return header;
}

DeviceStatus check_writable(const std::string& path) {
  errno = 0;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      errno = EISDIR;
      return io_failure(path, "cannot create");
    }
    // Opened for writing without truncating it; a pipe without a reader is not waited for.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return io_failure(path, "cannot create");
    ::close(fd);
    return DeviceStatus::fine();
  }
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return io_failure(path, "cannot create");
  ::close(fd);
  ::unlink(path.c_str());
  return DeviceStatus::fine();
}

DeviceStatus WavFile::create(const std::string& path, unsigned rate) {
  finish();
  path_ = path;
  rate_ = rate;
  data_bytes_ = 0;
  errno = 0;
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) return io_failure(path, "cannot create");
  const auto header = wav_header(rate, 0);
  DeviceStatus status = write(header.data(), header.size());
  data_bytes_ = 0;
  if (!status.ok()) {
    ::close(fd_);
    fd_ = -1;
  }
  return status;
}

DeviceStatus WavFile::write(const void* data, std::size_t bytes) {
  if (fd_ < 0) return DeviceStatus::failure(-EBADF, path_ + ": not open");
  const auto* p = static_cast<const char*>(data);
  for (std::size_t left = bytes; left > 0;) {
    errno = 0;
    const ssize_t n = ::write(fd_, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return io_failure(path_, "write failed");
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  data_bytes_ += bytes;
  return DeviceStatus::fine();
}

DeviceStatus WavFile::finish() {
  if (fd_ < 0) return DeviceStatus::fine();
  DeviceStatus status;
  errno = 0;
  const char pad = 0;
  if ((data_bytes_ & 1) != 0 && ::write(fd_, &pad, 1) != 1)
    status = io_failure(path_, "write failed");
  const auto header = wav_header(rate_, data_bytes_);
  if (status.ok() &&
      ::pwrite(fd_, header.data(), header.size(), 0) != static_cast<ssize_t>(header.size()))
    status = io_failure(path_, "header not written");
  if (::close(fd_) != 0 && status.ok()) status = io_failure(path_, "close failed");
  fd_ = -1;
  return status;
}

}  // namespace sonvale::audiolib
