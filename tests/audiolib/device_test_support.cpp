#include "device_test_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace sonvale::audiolib::test {

TempDir::TempDir() {
  char name[] = "/tmp/sonvale-devices-XXXXXX";
  if (mkdtemp(name) == nullptr) throw std::runtime_error("no temporary directory");
  path_ = name;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string file_device(const std::string& file, const std::string& slave) {
  return "{ type file slave.pcm " + slave + " file \"" + file + "\" format raw }";
}

std::string capture_config(const std::string& name, const std::string& file,
                           const std::string& slave) {
  return "pcm." + name + " " + file_device(file, slave);
}

std::vector<std::byte> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> raw((std::istreambuf_iterator<char>(in)), {});
  std::vector<std::byte> bytes(raw.size());
  std::memcpy(bytes.data(), raw.data(), raw.size());
  return bytes;
}

std::size_t file_size(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? static_cast<std::size_t>(info.st_size) : 0;
}

bool eventually(const std::function<bool()>& condition) {
  // A guard against hangs only; nothing is expected to take this long.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > give_up) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

std::uint32_t Feeder::asio(bool, std::uint32_t, void* buffer, std::uint32_t length, void* user) {
  return static_cast<Feeder*>(user)->feed(buffer, length);
}

std::uint32_t Feeder::wasapi(void* buffer, std::uint32_t length, void* user) {
  return static_cast<Feeder*>(user)->feed(buffer, length);
}

std::size_t Feeder::delivered_bytes() const {
  std::lock_guard<std::mutex> guard(lock_);
  return position_;
}

std::uint32_t Feeder::feed(void* buffer, std::uint32_t length) {
  inside_ = true;
  if (calls_++ == 0) first_request_ = length;
  if (sleep_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(sleep_ms));
  std::size_t delivered = 0;
  {
    std::lock_guard<std::mutex> guard(lock_);
    const std::size_t total = source_.size() * sizeof(float);
    delivered = std::min<std::size_t>(length, std::min<std::size_t>(total, allowed_) - position_);
    if (delivered > 0) {  // an empty source has no data pointer to copy from
      std::memcpy(buffer, reinterpret_cast<const char*>(source_.data()) + position_, delivered);
    }
    position_ += delivered;
    if (position_ == total) {
      if (exhausted_) ++calls_since_exhausted_;
      exhausted_ = true;
    }
  }
  inside_ = false;
  return static_cast<std::uint32_t>(delivered);
}

}  // namespace sonvale::audiolib::test
