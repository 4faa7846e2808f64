#include "audiolib/cd_stream.h"

#include <algorithm>

namespace sonvale::audiolib {

using paranoia::kSectorFrames;
using paranoia::TrackReader;

std::unique_ptr<CdStream> CdStream::open(std::unique_ptr<cdio::Disc> disc, int number) {
  const cdio::Track* track = disc ? disc->track(number) : nullptr;
  if (track == nullptr || !track->audio) return nullptr;
  auto reader = TrackReader::open(disc->handle(), number,
                                  disc->is_image() ? TrackReader::Care::Plain : TrackReader::Care::Verify);
  if (!reader) return nullptr;
  return std::unique_ptr<CdStream>(new CdStream(std::move(disc), std::move(reader)));
}

CdStream::CdStream(std::unique_ptr<cdio::Disc> disc, std::unique_ptr<TrackReader> reader)
    : disc_(std::move(disc)),
      reader_(std::move(reader)),
      length_(static_cast<std::int64_t>(reader_->last_sector() - reader_->first_sector() + 1) * kSectorFrames) {}

bool CdStream::finished() const { return used_ == kSectorFrames && (cut_ || reader_->at_end()); }

std::int64_t CdStream::read(float* out, std::int64_t frames) {
  // Dividing by a power of two is exact: every sample keeps its 16-bit value.
  constexpr float kScale = 1.0f / 32768.0f;
  std::int64_t got = 0;
  while (got < frames) {
    if (used_ == kSectorFrames) {
      if (cut_ || (sector_ = reader_->next_sector()) == nullptr) break;
      // Checked after the read: a file whole then was whole for it.
      if (!disc_->data_unchanged()) {
        cut_ = true;
        break;
      }
      used_ = 0;
    }
    const int take = static_cast<int>(std::min<std::int64_t>(frames - got, kSectorFrames - used_));
    const std::int16_t* in = sector_ + 2 * used_;
    float* to = out + 2 * got;
    for (int i = 0; i < 2 * take; ++i) to[i] = static_cast<float>(in[i]) * kScale;
    used_ += take;
    got += take;
  }
  delivered_ += got;
  if (finished()) length_ = delivered_;
  return got;
}

}  // namespace sonvale::audiolib
