#pragma once

#include <cstddef>
#include <optional>

namespace sonvale::platform {

// A block of zero-filled memory whose pages are committed when it is handed out,
// so that running short of memory shows as a failed reservation and not as a
// crash on first touch. Page aligned; blocks of 2 MiB and more on a 2 MiB boundary,
// for huge pages. Large blocks are committed by all processors at once. Released
// when the owner goes away.
class Reservation {
 public:
  // Nothing when the memory cannot be had.
  static std::optional<Reservation> reserve_zeroed(std::size_t bytes);

  Reservation(Reservation&& other) noexcept;
  Reservation& operator=(Reservation&& other) noexcept;
  Reservation(const Reservation&) = delete;
  Reservation& operator=(const Reservation&) = delete;
  ~Reservation();

  std::byte* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  Reservation(std::byte* data, std::size_t size) : data_(data), size_(size) {}
  void release();

  std::byte* data_ = nullptr;
  std::size_t size_ = 0;
};

// Zero-fills memory, large runs on all processors at once.
void zero_fill(std::byte* data, std::size_t bytes);

}  // namespace sonvale::platform
