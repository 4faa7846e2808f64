#include "audiolib/decoded_stream.h"

#include <algorithm>
#include <cstring>

#include "audiolib/scan_stop.h"

namespace sonvale::audiolib {

std::unique_ptr<DecodedStream> DecodedStream::open(const std::string& path, bool prescan,
                                                   ffmpeg::OpenError& error) {
  auto file = ffmpeg::MediaFile::open(path, error);
  if (!file) return nullptr;
  return std::unique_ptr<DecodedStream>(new DecodedStream(path, prescan, std::move(file)));
}

DecodedStream::DecodedStream(std::string path, bool prescan, std::unique_ptr<ffmpeg::MediaFile> file)
    : path_(std::move(path)), prescan_(prescan), file_(std::move(file)) {}

std::int64_t DecodedStream::cap() {
  // The container's stated length trims the encoder's padding; a length already
  // reported is never exceeded, even if the file grows.
  std::int64_t bound = file_->exact_frames();
  if (length_ >= 0) bound = bound < 0 ? length_ : std::min(bound, length_);
  return bound;
}

bool DecodedStream::decode_more() {
  SampleBlock block;
  const std::int64_t bound = cap();
  while (!ended_) {
    if (bound >= 0 && produced_ >= bound) break;
    if (!file_->next_block(block, speakers_)) break;
    if (block.frames <= 0) continue;
    if (block.channels > 2 && speakers_ != matrix_speakers_) {
      matrix_ = downmix_matrix(speakers_);
      matrix_speakers_ = speakers_;
    }
    std::int64_t take = block.frames;
    if (bound >= 0) take = std::min(take, bound - produced_);
    pending_.resize(2 * static_cast<std::size_t>(block.frames));
    pending_pos_ = 0;
    to_stereo(block, matrix_, pending_.data());
    pending_.resize(2 * static_cast<std::size_t>(take));
    produced_ += take;
    return true;
  }
  ended_ = true;
  pending_.clear();
  pending_pos_ = 0;
  return false;
}

std::int64_t DecodedStream::read(float* out, std::int64_t frames) {
  std::int64_t got = 0;
  while (got < frames) {
    if (pending_pos_ == pending_.size() && !decode_more()) break;
    const std::size_t floats =
        std::min(pending_.size() - pending_pos_, 2 * static_cast<std::size_t>(frames - got));
    std::memcpy(out + 2 * got, pending_.data() + pending_pos_, floats * sizeof(float));
    pending_pos_ += floats;
    got += static_cast<std::int64_t>(floats / 2);
  }
  delivered_ += got;
  if (finished() && (length_ < 0 || delivered_ < length_)) length_ = delivered_;
  return got;
}

std::int64_t DecodedStream::scan_length() {
  ffmpeg::OpenError error;
  auto file = ffmpeg::MediaFile::open(path_, error);
  const std::int64_t bound = file_->exact_frames();
  if (!file) return bound >= 0 ? bound : delivered_;
  const std::optional<std::int64_t> frames = file->count_frames(bound, &ScanStop::requested);
  if (!frames) return -1;
  return bound >= 0 ? std::min(*frames, bound) : *frames;
}

std::int64_t DecodedStream::length_frames() {
  if (length_ < 0) {
    const std::int64_t stated = file_->exact_frames();
    const std::int64_t measured = !prescan_ && stated >= 0 ? stated : scan_length();
    if (measured < 0) return -1;
    // The stream may already have read past a length measured on a shorter file.
    length_ = std::max(measured, delivered_);
  }
  return length_;
}

}  // namespace sonvale::audiolib
