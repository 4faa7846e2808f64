#include "audiolib/ffmpeg/media_file.h"

#include <sys/stat.h>

#include <cstring>
#include <mutex>
#include <string_view>

#include "audiolib/ffmpeg/media_file_state.h"
#include "audiolib/ffmpeg/mp4_length.h"
#include "audiolib/vorbis_headers.h"

namespace sonvale::audiolib::ffmpeg {
namespace {

// The demuxers of the formats the player plays. Anything else, and anything that
// would open further files or the network, is refused.
constexpr const char* kAllowedDemuxers = "wav,w64,aiff,mp3,ogg,mov,mp4,m4a,3gp,3g2,mj2,aac,caf,flac,asf,wv";

// Below this, FFmpeg has recognised the file by its name only.
constexpr int kMinimumProbeScore = AVPROBE_SCORE_RETRY;

void quiet_logging() {
  static std::once_flag once;
  std::call_once(once, [] {
#ifdef SONVALE_FFMPEG_LOG
    av_log_set_level(AV_LOG_WARNING);
#else
    av_log_set_level(AV_LOG_QUIET);
#endif
  });
}

Container container_of(const AVInputFormat* format) {
  const std::string_view name = format->name;
  if (name == "wav" || name == "w64") return Container::Wav;
  if (name == "aiff") return Container::Aiff;
  if (name == "mp3") return Container::Mp3;
  if (name == "ogg") return Container::Ogg;
  if (name.starts_with("mov,")) return Container::Mp4;
  if (name == "aac") return Container::Adts;
  if (name == "caf") return Container::Caf;
  if (name == "flac") return Container::Flac;
  if (name == "asf") return Container::Asf;
  if (name == "wv") return Container::WavPack;
  return Container::Other;
}

Codec codec_of(AVCodecID id) {
  if (id >= AV_CODEC_ID_FIRST_AUDIO && id < AV_CODEC_ID_ADPCM_IMA_QT) return Codec::Pcm;
  switch (id) {
    case AV_CODEC_ID_MP1: case AV_CODEC_ID_MP2: case AV_CODEC_ID_MP3: return Codec::MpegAudio;
    case AV_CODEC_ID_VORBIS: return Codec::Vorbis;
    case AV_CODEC_ID_AAC: case AV_CODEC_ID_AAC_LATM: return Codec::Aac;
    case AV_CODEC_ID_ALAC: return Codec::Alac;
    case AV_CODEC_ID_FLAC: return Codec::Flac;
    case AV_CODEC_ID_WMAV1: case AV_CODEC_ID_WMAV2: case AV_CODEC_ID_WMAPRO:
    case AV_CODEC_ID_WMALOSSLESS: case AV_CODEC_ID_WMAVOICE: return Codec::Wma;
    case AV_CODEC_ID_WAVPACK: return Codec::WavPack;
    default: return Codec::Other;
  }
}

// Containers whose length field counts samples exactly for these codecs.
bool states_exact_length(Container container, Codec codec) {
  switch (container) {
    case Container::Flac: case Container::WavPack: case Container::Ogg: return true;
    case Container::Wav: case Container::Aiff: return codec == Codec::Pcm;
    case Container::Mp4: case Container::Caf: return codec == Codec::Aac || codec == Codec::Alac;
    default: return false;
  }
}

std::int64_t stated_frames(const AVStream& stream, const StreamInfo& info) {
  if (!states_exact_length(info.container, info.codec)) return -1;
  if (stream.duration == AV_NOPTS_VALUE || stream.duration <= 0) return -1;
  if (stream.time_base.num != 1 || stream.time_base.den != info.sample_rate) return -1;
  return stream.duration;
}

bool sample_type_of(int format, SampleType& type) {
  switch (av_get_packed_sample_fmt(static_cast<AVSampleFormat>(format))) {
    case AV_SAMPLE_FMT_U8: type = SampleType::U8; return true;
    case AV_SAMPLE_FMT_S16: type = SampleType::S16; return true;
    case AV_SAMPLE_FMT_S32: type = SampleType::S32; return true;
    case AV_SAMPLE_FMT_S64: type = SampleType::S64; return true;
    case AV_SAMPLE_FMT_FLT: type = SampleType::F32; return true;
    case AV_SAMPLE_FMT_DBL: type = SampleType::F64; return true;
    default: return false;
  }
}

Speaker speaker_of(AVChannel channel) {
  switch (channel) {
    case AV_CHAN_FRONT_LEFT: case AV_CHAN_FRONT_LEFT_OF_CENTER: case AV_CHAN_WIDE_LEFT:
    case AV_CHAN_TOP_FRONT_LEFT: case AV_CHAN_STEREO_LEFT: case AV_CHAN_BOTTOM_FRONT_LEFT:
      return Speaker::FrontLeft;
    case AV_CHAN_FRONT_RIGHT: case AV_CHAN_FRONT_RIGHT_OF_CENTER: case AV_CHAN_WIDE_RIGHT:
    case AV_CHAN_TOP_FRONT_RIGHT: case AV_CHAN_STEREO_RIGHT: case AV_CHAN_BOTTOM_FRONT_RIGHT:
      return Speaker::FrontRight;
    case AV_CHAN_BACK_LEFT: case AV_CHAN_SIDE_LEFT: case AV_CHAN_TOP_BACK_LEFT:
    case AV_CHAN_SURROUND_DIRECT_LEFT: case AV_CHAN_TOP_SIDE_LEFT:
      return Speaker::SurroundLeft;
    case AV_CHAN_BACK_RIGHT: case AV_CHAN_SIDE_RIGHT: case AV_CHAN_TOP_BACK_RIGHT:
    case AV_CHAN_SURROUND_DIRECT_RIGHT: case AV_CHAN_TOP_SIDE_RIGHT:
      return Speaker::SurroundRight;
    case AV_CHAN_LOW_FREQUENCY: case AV_CHAN_LOW_FREQUENCY_2:
      return Speaker::Lfe;
    default:
      return Speaker::Centre;
  }
}

void speakers_of(const AVChannelLayout& layout, std::vector<Speaker>& speakers) {
  AVChannelLayout known{};
  if (layout.order == AV_CHANNEL_ORDER_UNSPEC)
    av_channel_layout_default(&known, layout.nb_channels);
  else
    av_channel_layout_copy(&known, &layout);
  speakers.clear();
  for (int i = 0; i < layout.nb_channels; ++i)
    speakers.push_back(speaker_of(av_channel_layout_channel_from_index(&known, static_cast<unsigned>(i))));
  av_channel_layout_uninit(&known);
}

// Reads the stream's first packet ahead, to be decoded first; returns the priming
// samples that it tells the decoder to drop.
std::int64_t hold_first_packet(AVFormatContext* format, int stream_index, AVPacket* packet) {
  while (av_read_frame(format, packet) >= 0) {
    if (packet->stream_index != stream_index) {
      av_packet_unref(packet);
      continue;
    }
    std::size_t size = 0;
    const std::uint8_t* skip = av_packet_get_side_data(packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
    return skip != nullptr && size >= 4 ? AV_RL32(skip) : 0;
  }
  return 0;
}

OpenError open_error_of(int code) {
  if (code == AVERROR(ENOMEM)) return OpenError::Memory;
  if (code == AVERROR(ENOENT) || code == AVERROR(EACCES) || code == AVERROR(EISDIR)) return OpenError::FileOpen;
  return OpenError::Format;
}

}  // namespace

// A decoder for the stream, set up by its own parameters or, for a later link of a
// chained file, by that link's `setup` (the codec's extradata).
CodecOwner open_decoder(const AVStream& stream, const std::vector<std::uint8_t>* setup, OpenError& error) {
  const AVCodec* decoder = avcodec_find_decoder(stream.codecpar->codec_id);
  if (decoder == nullptr) {
    error = OpenError::Codec;
    return nullptr;
  }
  CodecOwner codec(avcodec_alloc_context3(decoder));
  if (codec == nullptr) {
    error = OpenError::Memory;
    return nullptr;
  }
  if (avcodec_parameters_to_context(codec.get(), stream.codecpar) < 0) {
    error = OpenError::Codec;
    return nullptr;
  }
  if (setup != nullptr) {
    av_freep(&codec->extradata);
    codec->extradata = static_cast<std::uint8_t*>(av_mallocz(setup->size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (codec->extradata == nullptr) {
      error = OpenError::Memory;
      return nullptr;
    }
    std::memcpy(codec->extradata, setup->data(), setup->size());
    codec->extradata_size = static_cast<int>(setup->size());
  }
  codec->thread_count = 1;  // the engine's workers own the processors
  codec->pkt_timebase = stream.time_base;
  if (avcodec_open2(codec.get(), decoder, nullptr) < 0) {
    error = OpenError::Codec;
    return nullptr;
  }
  return codec;
}

MediaFile::MediaFile(std::unique_ptr<State> state) : state_(std::move(state)) {}
MediaFile::~MediaFile() = default;

const StreamInfo& MediaFile::info() const { return state_->info; }

std::unique_ptr<MediaFile> MediaFile::open(const std::string& path, OpenError& error) {
  quiet_logging();
  error = OpenError::None;
  struct stat st{};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    error = OpenError::FileOpen;
    return nullptr;
  }

  auto state = std::make_unique<State>();
  if (!state->packet || !state->held || !state->frame) {
    error = OpenError::Memory;
    return nullptr;
  }
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  av_dict_set(&options, "format_whitelist", kAllowedDemuxers, 0);
  AVFormatContext* raw = nullptr;
  // The "file:" prefix keeps a name such as "http:x.mp3" a file name.
  const std::string url = "file:" + path;
  const int opened = avformat_open_input(&raw, url.c_str(), nullptr, &options);
  av_dict_free(&options);
  if (opened < 0) {
    error = open_error_of(opened);
    return nullptr;
  }
  state->format.reset(raw);
  AVFormatContext* format = state->format.get();
  if (format->probe_score < kMinimumProbeScore || avformat_find_stream_info(format, nullptr) < 0) {
    error = OpenError::Format;
    return nullptr;
  }
  state->stream_index = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (state->stream_index < 0) {
    error = OpenError::Format;
    return nullptr;
  }
  for (unsigned i = 0; i < format->nb_streams; ++i)
    if (static_cast<int>(i) != state->stream_index) format->streams[i]->discard = AVDISCARD_ALL;
  const AVStream& stream = *format->streams[state->stream_index];
  state->codec = open_decoder(stream, nullptr, error);
  if (!state->codec) return nullptr;
  const AVCodecContext* codec = state->codec.get();
  StreamInfo& info = state->info;
  info.container = container_of(format->iformat);
  info.codec = codec_of(stream.codecpar->codec_id);
  info.sample_rate = codec->sample_rate;
  info.channels = codec->ch_layout.nb_channels;
  if (info.sample_rate <= 0 || info.channels <= 0) {
    error = OpenError::Format;
    return nullptr;
  }
  state->exact_frames = stated_frames(stream, info);
  state->path = path;
  state->links_read = info.container != Container::Ogg;
  state->rates = RateGuard(info.sample_rate);
  if (info.container == Container::Mp4 && info.codec == Codec::Aac) {
    const std::int64_t priming = hold_first_packet(format, state->stream_index, state->held.get());
    state->exact_frames =
        mp4_exact_frames(url, state->stream_index, state->exact_frames, priming, info.sample_rate);
  }
  return std::unique_ptr<MediaFile>(new MediaFile(std::move(state)));
}

bool MediaFile::next_block(SampleBlock& block, std::vector<Speaker>& speakers) {
  State& s = *state_;
  read_links();
  while (!s.ended) {
    const int received = avcodec_receive_frame(s.codec.get(), s.frame.get());
    if (received == 0) {
      const AVFrame& f = *s.frame;
      const RateGuard::Verdict verdict = s.rates.judge(f.sample_rate, f.nb_samples);
      if (verdict == RateGuard::Verdict::End) break;
      SampleType type;
      if (verdict == RateGuard::Verdict::Skip || !sample_type_of(f.format, type) || f.ch_layout.nb_channels <= 0)
        continue;
      int frames = f.nb_samples;
      if (s.link < s.link_frames.size()) {
        // A link plays to the length its pages give, whatever its last packet holds.
        frames = static_cast<int>(std::min<std::int64_t>(frames, s.link_frames[s.link] - s.link_done));
        if (frames <= 0) continue;
        s.link_done += frames;
      }
      block.type = type;
      block.planar = av_sample_fmt_is_planar(static_cast<AVSampleFormat>(f.format)) != 0;
      block.channels = f.ch_layout.nb_channels;
      block.frames = frames;
      block.planes = f.extended_data;
      speakers_of(f.ch_layout, speakers);
      return true;
    }
    if (received == AVERROR_EOF || s.draining) {
      // The decoder has given out everything: the data has ended, or a chained
      // link has, and the next link gets a decoder of its own.
      if (s.next_link.empty() || !start_next_link()) break;
      continue;
    }
    // Otherwise the decoder wants more data (or refused a damaged packet): feed it.
    feed();
  }
  s.ended = true;
  return false;
}

void MediaFile::feed() {
  State& s = *state_;
  if (s.held->size > 0 || s.held->side_data_elems > 0) {
    avcodec_send_packet(s.codec.get(), s.held.get());
    av_packet_unref(s.held.get());
    return;
  }
  while (read_own_packet()) {
    if (s.info.codec == Codec::Vorbis &&
        vorbis_header_of(s.packet->data, static_cast<std::size_t>(s.packet->size)) == VorbisHeader::Identification) {
      s.next_link = read_link_setup();
      break;  // the current link is drained first
    }
    // A damaged packet is refused by the decoder and skipped; it goes on with the next.
    avcodec_send_packet(s.codec.get(), s.packet.get());
    av_packet_unref(s.packet.get());
    return;
  }
  avcodec_send_packet(s.codec.get(), nullptr);
  s.draining = true;
}

bool MediaFile::read_own_packet() {
  State& s = *state_;
  while (av_read_frame(s.format.get(), s.packet.get()) >= 0) {
    if (s.packet->stream_index == s.stream_index) return true;
    av_packet_unref(s.packet.get());
  }
  return false;
}

std::int64_t MediaFile::file_position() const {
  AVIOContext* io = state_->format->pb;
  return io != nullptr ? avio_tell(io) : 0;
}

}  // namespace sonvale::audiolib::ffmpeg
