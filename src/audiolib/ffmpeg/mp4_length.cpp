#include "audiolib/ffmpeg/mp4_length.h"

#include <cstdlib>

#include "audiolib/ffmpeg/owners.h"

namespace sonvale::audiolib::ffmpeg {
namespace {

// The media's length in frames, ignoring the edit list; -1 when unknown.
std::int64_t media_frames(const std::string& url, int stream_index, int sample_rate) {
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  av_dict_set(&options, "format_whitelist", "mov,mp4,m4a,3gp,3g2,mj2", 0);
  av_dict_set(&options, "ignore_editlist", "1", 0);
  AVFormatContext* raw = nullptr;
  const int opened = avformat_open_input(&raw, url.c_str(), nullptr, &options);
  av_dict_free(&options);
  if (opened < 0) return -1;
  FormatOwner format(raw);
  if (stream_index < 0 || static_cast<unsigned>(stream_index) >= format->nb_streams) return -1;
  const AVStream& stream = *format->streams[stream_index];
  if (stream.time_base.num != 1 || stream.time_base.den != sample_rate) return -1;
  return stream.duration > 0 ? stream.duration : -1;
}

}  // namespace

std::int64_t mp4_exact_frames(const std::string& url, int stream_index, std::int64_t edit_frames,
                              std::int64_t priming, int sample_rate) {
  const std::int64_t media = media_frames(url, stream_index, sample_rate);
  if (media < 0 || media <= priming) return edit_frames;
  const std::int64_t trimmed = media - priming;
  if (edit_frames < 0) return trimmed;
  // 600 per second is the coarsest movie time scale in common use.
  const std::int64_t tick = sample_rate / 600 + 1;
  return std::llabs(trimmed - edit_frames) <= tick ? trimmed : edit_frames;
}

}  // namespace sonvale::audiolib::ffmpeg
