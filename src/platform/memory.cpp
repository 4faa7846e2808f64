#include "platform/memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace sonvale::platform {
namespace {

// Faults every page in for writing. MADV_POPULATE_WRITE reports a shortage as an
// error; kernels without it get the pages touched one by one instead.
bool commit_pages(std::byte* data, std::size_t bytes) {
  if (madvise(data, bytes, MADV_POPULATE_WRITE) == 0) return true;
  if (errno != EINVAL) return false;
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  for (std::size_t offset = 0; offset < bytes; offset += page)
    *static_cast<volatile std::byte*>(data + offset) = std::byte{0};
  return true;
}

}  // namespace

std::optional<Reservation> Reservation::reserve_zeroed(std::size_t bytes) {
  if (bytes == 0) return std::nullopt;
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return std::nullopt;
  auto* data = static_cast<std::byte*>(p);
  // Large sample buffers are streamed through; huge pages spare the TLB.
  if (bytes >= (std::size_t{2} << 20)) madvise(data, bytes, MADV_HUGEPAGE);
  if (!commit_pages(data, bytes)) {
    munmap(data, bytes);
    return std::nullopt;
  }
  return Reservation(data, bytes);
}

Reservation::Reservation(Reservation&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

Reservation& Reservation::operator=(Reservation&& other) noexcept {
  if (this != &other) {
    release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

Reservation::~Reservation() { release(); }

void Reservation::release() {
  if (data_ != nullptr) munmap(data_, size_);
  data_ = nullptr;
  size_ = 0;
}

}  // namespace sonvale::platform
