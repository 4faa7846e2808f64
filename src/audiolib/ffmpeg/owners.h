#pragma once

// RAII owners of the FFmpeg objects the decoder uses. Only the ffmpeg/ folder
// includes FFmpeg.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/intreadwrite.h>
}

#include <memory>

namespace sonvale::audiolib::ffmpeg {

struct FormatCloser {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecFreer {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct PacketFreer {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFreer {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct DictionaryFreer {
  void operator()(AVDictionary* d) const { av_dict_free(&d); }
};

using FormatOwner = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecOwner = std::unique_ptr<AVCodecContext, CodecFreer>;
using PacketOwner = std::unique_ptr<AVPacket, PacketFreer>;
using FrameOwner = std::unique_ptr<AVFrame, FrameFreer>;

}  // namespace sonvale::audiolib::ffmpeg
