#include "audiolib/ogg_chain.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

#include "audiolib/vorbis_headers.h"

namespace sonvale::audiolib {
namespace {

constexpr std::size_t kPageHeaderBytes = 27;
constexpr std::uint8_t kBeginsStream = 0x02;
// Enough of a link's first packet to hold a Vorbis identification header's rate.
constexpr std::size_t kFirstPacketBytes = 16;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// A file read front to back in large pieces: pages are a few KiB, and skipping over
// their bodies within a piece costs nothing.
class Reader {
 public:
  explicit Reader(std::FILE* file) : file_(file), buffer_(1 << 18) {}

  // The next `n` bytes (at most a page header and its lacing), without taking them;
  // null when the file has fewer left.
  const std::uint8_t* peek(std::size_t n) {
    if (end_ - at_ < n) {
      std::memmove(buffer_.data(), buffer_.data() + at_, end_ - at_);
      end_ -= at_;
      at_ = 0;
      end_ += std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
    }
    return end_ - at_ >= n ? buffer_.data() + at_ : nullptr;
  }

  void skip(std::size_t n) {
    const std::size_t here = std::min(n, end_ - at_);
    at_ += here;
    if (n > here) std::fseek(file_, static_cast<long>(n - here), SEEK_CUR);
  }

  // Moves to the next "OggS" capture pattern; false at the end. Damaged stretches
  // between pages are stepped over this way.
  bool find_capture() {
    while (peek(4) != nullptr) {
      std::uint8_t* const first = buffer_.data() + at_;
      std::uint8_t* const last = buffer_.data() + end_;
      std::uint8_t* const found = std::search(first, last, std::begin(kCapture), std::end(kCapture));
      if (found != last) {
        at_ = static_cast<std::size_t>(found - buffer_.data());
        return true;
      }
      at_ = end_ - 3;  // a pattern may straddle two pieces
    }
    return false;
  }

 private:
  static constexpr std::uint8_t kCapture[4] = {'O', 'g', 'g', 'S'};
  std::FILE* file_;
  std::vector<std::uint8_t> buffer_;
  std::size_t at_ = 0, end_ = 0;
};

template <int Bytes>
std::uint64_t little_endian(const std::uint8_t* p) {
  std::uint64_t value = 0;
  for (int i = Bytes - 1; i >= 0; --i) value = value << 8 | p[i];
  return value;
}

}  // namespace

std::vector<OggLink> ogg_links(const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return {};
  Reader reader(file.get());
  std::vector<OggLink> links;
  std::uint64_t serial = 0;    // of the link being read
  bool link_has_data = false;  // a page of it after its first
  while (reader.find_capture()) {
    const std::uint8_t* header = reader.peek(kPageHeaderBytes);
    if (header == nullptr) break;
    const std::size_t segments = header[26];
    const std::uint8_t* page = header[4] == 0 ? reader.peek(kPageHeaderBytes + segments) : nullptr;
    if (page == nullptr) {
      // Not a page after all (version 0 is the only one), or a page cut short.
      reader.skip(1);
      continue;
    }
    std::size_t body = 0;
    for (std::size_t i = 0; i < segments; ++i) body += page[kPageHeaderBytes + i];
    const std::uint64_t page_serial = little_endian<4>(&page[14]);
    const bool begins = (page[5] & kBeginsStream) != 0;
    const auto granule = static_cast<std::int64_t>(little_endian<8>(&page[6]));
    reader.skip(kPageHeaderBytes + segments);

    if (begins) {
      // Two streams begun side by side are interleaved, not chained.
      if (!links.empty() && !link_has_data) return {};
      OggLink link;
      const std::size_t first = std::min(body, kFirstPacketBytes);
      if (const std::uint8_t* packet = reader.peek(first);
          packet != nullptr && vorbis_header_of(packet, first) == VorbisHeader::Identification)
        link.rate = vorbis_header_rate(packet, first);
      links.push_back(link);
      serial = page_serial;
      link_has_data = false;
    } else {
      if (links.empty() || page_serial != serial) return {};
      link_has_data = true;
      if (granule >= 0) links.back().frames = granule;  // -1: no packet ends on this page
    }
    reader.skip(body);
  }
  return links;
}

}  // namespace sonvale::audiolib
