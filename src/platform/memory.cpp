#include "platform/memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "platform/cpu.h"

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace sonvale::platform {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this a buffer is committed by the calling thread alone.
constexpr std::size_t kSharedWorkBytes = std::size_t{16} << 20;
constexpr int kMostHelpers = 7;

// Runs part(offset, bytes) over [0, bytes) in pieces of whole huge pages, spread
// over the processors; the calling thread takes the first piece. False if any part
// was.
template <class Part>
bool spread(std::size_t bytes, Part&& part) {
  int pieces = 1;
  if (bytes >= kSharedWorkBytes)
    pieces = std::clamp<int>(count_processors(), 1, kMostHelpers + 1);
  const std::size_t piece = (bytes / pieces + kHugePage - 1) / kHugePage * kHugePage;
  std::atomic<bool> ok{true};
  std::vector<std::thread> helpers;
  const auto run = [&](std::size_t offset) {
    if (offset < bytes && !part(offset, std::min(piece, bytes - offset))) ok = false;
  };
  for (int i = 1; i < pieces; ++i) {
    try {
      helpers.emplace_back(run, i * piece);
    } catch (const std::system_error&) {
      run(i * piece);  // no thread to be had: the piece is done here instead
    }
  }
  run(0);
  for (std::thread& helper : helpers) helper.join();
  return ok;
}

// Faults every page in for writing. MADV_POPULATE_WRITE reports a shortage as an
// error; kernels without it get the pages touched one by one instead.
bool commit_pages(std::byte* data, std::size_t bytes) {
  return spread(bytes, [data](std::size_t offset, std::size_t length) {
    if (madvise(data + offset, length, MADV_POPULATE_WRITE) == 0) return true;
    if (errno != EINVAL) return false;
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    for (std::size_t at = offset; at < offset + length; at += page)
      *static_cast<volatile std::byte*>(data + at) = std::byte{0};
    return true;
  });
}

// Large buffers start on a huge-page boundary, so that all of them can be backed by
// huge pages: fewer faults to commit them, no TLB misses while streaming through
// them, and a quick release at exit.
std::byte* map(std::size_t bytes) {
  const bool large = bytes >= kHugePage;
  const std::size_t mapped = large ? bytes + kHugePage : bytes;
  void* p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return nullptr;
  auto* start = static_cast<std::byte*>(p);
  if (!large) return start;
  const auto address = reinterpret_cast<std::uintptr_t>(start);
  const std::size_t head = (kHugePage - address % kHugePage) % kHugePage;
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  const std::size_t kept = (bytes + page - 1) / page * page;
  if (head > 0) munmap(start, head);
  munmap(start + head + kept, mapped - head - kept);
  madvise(start + head, bytes, MADV_HUGEPAGE);
  return start + head;
}

}  // namespace

std::optional<Reservation> Reservation::reserve_zeroed(std::size_t bytes) {
  if (bytes == 0 || bytes > (std::size_t{1} << 48)) return std::nullopt;
  std::byte* data = map(bytes);
  if (data == nullptr) return std::nullopt;
  if (!commit_pages(data, bytes)) {
    munmap(data, bytes);
    return std::nullopt;
  }
  return Reservation(data, bytes);
}

void zero_fill(std::byte* data, std::size_t bytes) {
  spread(bytes, [data](std::size_t offset, std::size_t length) {
    std::memset(data + offset, 0, length);
    return true;
  });
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
