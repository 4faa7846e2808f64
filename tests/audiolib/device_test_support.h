#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace sonvale::audiolib::test {

// A directory of its own under /tmp, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// An ALSA file device that records, raw, what it is given in `file`, over `slave`
// (the null device, or a converter in front of it)...
std::string file_device(const std::string& file, const std::string& slave = "{ type null }");
// ... and ALSA configuration text that names it `name`.
std::string capture_config(const std::string& name, const std::string& file,
                           const std::string& slave = "{ type null }");

std::vector<std::byte> read_file(const std::string& path);
std::size_t file_size(const std::string& path);

// Polls `condition` every millisecond; gives up only after a long hang guard.
bool eventually(const std::function<bool()>& condition);

// A feed callback that hands out the stereo frames of `source` in order, as much as
// each request asks for, then nothing.
class Feeder {
 public:
  explicit Feeder(std::vector<float> source = {}) : source_(std::move(source)) {}

  // Sleeps this long inside every call.
  int sleep_ms = 0;
  // Hands out no more than the first `bytes` of the source until allowed more.
  void limit(std::size_t bytes) { allowed_ = bytes; }

  static std::uint32_t asio(bool input, std::uint32_t channel, void* buffer, std::uint32_t length,
                            void* user);
  static std::uint32_t wasapi(void* buffer, std::uint32_t length, void* user);

  int calls() const { return calls_; }
  bool inside() const { return inside_; }
  // True once the whole source was handed out.
  bool exhausted() const { return exhausted_; }
  int calls_since_exhausted() const { return calls_since_exhausted_; }
  std::uint32_t first_request() const { return first_request_; }
  std::size_t delivered_bytes() const;

 private:
  std::uint32_t feed(void* buffer, std::uint32_t length);

  std::vector<float> source_;
  mutable std::mutex lock_;
  std::size_t position_ = 0;  // bytes of source_ handed out, under lock_
  std::atomic<int> calls_{0};
  std::atomic<int> calls_since_exhausted_{0};
  std::atomic<bool> inside_{false};
  std::atomic<bool> exhausted_{false};
  std::atomic<std::uint32_t> first_request_{0};
  std::atomic<std::size_t> allowed_{SIZE_MAX};
};

}  // namespace sonvale::audiolib::test
