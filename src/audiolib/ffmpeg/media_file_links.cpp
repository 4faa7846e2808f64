// The links of chained Ogg Vorbis files: found from the pages, decoded one after
// another, each by a decoder of its own.

#include <utility>

#include "audiolib/ffmpeg/media_file_state.h"
#include "audiolib/ogg_chain.h"
#include "audiolib/vorbis_headers.h"

namespace sonvale::audiolib::ffmpeg {
namespace {

// The lengths of the links of a chained Ogg Vorbis file that play at `rate`: all up
// to the first at another rate, which ends the stream. Empty when one of them is
// not Vorbis or its length is unknown.
std::vector<std::int64_t> playable_link_frames(const std::vector<OggLink>& links, int rate) {
  std::vector<std::int64_t> frames;
  for (const OggLink& link : links) {
    if (link.rate == 0 || link.frames < 0) return {};
    if (link.rate != rate) break;
    frames.push_back(link.frames);
  }
  return frames;
}

}  // namespace

std::int64_t MediaFile::exact_frames() {
  read_links();
  return state_->exact_frames;
}

void MediaFile::read_links() {
  State& s = *state_;
  if (s.links_read) return;
  s.links_read = true;
  const std::vector<OggLink> links = ogg_links(s.path);
  if (links.size() < 2) return;
  // Chained: the length the container states is its last link's alone.
  s.exact_frames = -1;
  if (s.info.codec == Codec::Vorbis) s.link_frames = playable_link_frames(links, s.info.sample_rate);
  if (s.link_frames.empty()) return;
  s.exact_frames = 0;
  for (std::int64_t frames : s.link_frames) s.exact_frames += frames;
}

std::vector<std::uint8_t> MediaFile::read_link_setup() {
  State& s = *state_;
  const AVPacket& p = *s.packet;
  std::vector<std::vector<std::uint8_t>> headers{{p.data, p.data + p.size}};
  // A link at another rate would play at the wrong speed: the stream ends before it.
  const int rate = vorbis_header_rate(p.data, static_cast<std::size_t>(p.size));
  av_packet_unref(s.packet.get());
  if (rate != s.info.sample_rate) return {};
  while (read_own_packet()) {
    const VorbisHeader kind = vorbis_header_of(s.packet->data, static_cast<std::size_t>(s.packet->size));
    headers.emplace_back(s.packet->data, s.packet->data + s.packet->size);
    av_packet_unref(s.packet.get());
    if (kind == VorbisHeader::Comment && headers.size() == 2) continue;
    if (kind == VorbisHeader::Setup && headers.size() == 3) return vorbis_codec_setup(headers);
    break;  // headers out of order: the link cannot be decoded
  }
  return {};
}

bool MediaFile::start_next_link() {
  State& s = *state_;
  OpenError error;
  const std::vector<std::uint8_t> setup = std::exchange(s.next_link, {});
  CodecOwner codec = open_decoder(s.stream(), &setup, error);
  if (!codec) return false;
  s.codec = std::move(codec);
  s.draining = false;
  ++s.link;
  s.link_done = 0;
  return true;
}

}  // namespace sonvale::audiolib::ffmpeg
