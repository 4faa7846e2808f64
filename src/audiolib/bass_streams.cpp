#include "audiolib/channel_table.h"
#include "audiolib/content_rules.h"

namespace sonvale::audiolib {
namespace {

constexpr std::uint32_t kKnownFlags = kFlagFloat | kFlagPrescan | kFlagDecode;
constexpr std::uint32_t kRequiredFlags = kFlagFloat | kFlagDecode;

int error_of(ffmpeg::OpenError error) {
  switch (error) {
    case ffmpeg::OpenError::None: return kErrorOk;
    case ffmpeg::OpenError::FileOpen: return kErrorFileOpen;
    case ffmpeg::OpenError::Format: return kErrorFileFormat;
    case ffmpeg::OpenError::Codec: return kErrorCodec;
    case ffmpeg::OpenError::Memory: return kErrorMemory;
  }
  return kErrorFileFormat;
}

Handle create(CreateCall call, bool mem, const char* file, std::uint64_t offset, std::uint64_t length,
              std::uint32_t flags) {
  if (!channel_table().initialised()) {
    set_error(kErrorInit);
    return 0;
  }
  // Whole files only, decoded to float for the caller to pull.
  if (mem || file == nullptr || offset != 0 || length != 0 || (flags & ~kKnownFlags) != 0 ||
      (flags & kRequiredFlags) != kRequiredFlags) {
    set_error(kErrorIllegalParam);
    return 0;
  }
  ffmpeg::OpenError error;
  auto stream = DecodedStream::open(file, (flags & kFlagPrescan) != 0, error);
  if (!stream) {
    set_error(error_of(error));
    return 0;
  }
  if (!call_accepts(call, stream->info())) {
    set_error(kErrorFileFormat);
    return 0;
  }
  const int rate = stream->info().sample_rate;
  if (rate < kLowestSampleRate || rate > kHighestSampleRate) {
    set_error(kErrorSampleRate);
    return 0;
  }
  auto channel = std::make_shared<Channel>();
  channel->stream = std::make_unique<DecodedSource>(std::move(stream));
  channel->call = call;
  const Handle handle = channel_table().add(std::move(channel));
  set_error(handle != 0 ? kErrorOk : kErrorInit);
  return handle;
}

}  // namespace

std::optional<CreateCall> creation_call_of(Handle stream) {
  const std::shared_ptr<Channel> channel = channel_table().find(stream);
  if (!channel) return std::nullopt;
  return channel->call;
}

Handle BASS_StreamCreateFile(bool mem, const char* file, std::uint64_t offset, std::uint64_t length,
                             std::uint32_t flags) {
  return create(CreateCall::Plain, mem, file, offset, length, flags);
}

Handle BASS_AAC_StreamCreateFile(bool mem, const char* file, std::uint64_t offset,
                                 std::uint64_t length, std::uint32_t flags) {
  return create(CreateCall::Aac, mem, file, offset, length, flags);
}

Handle BASS_ALAC_StreamCreateFile(bool mem, const char* file, std::uint64_t offset,
                                  std::uint64_t length, std::uint32_t flags) {
  return create(CreateCall::Alac, mem, file, offset, length, flags);
}

Handle BASS_MP4_StreamCreateFile(bool mem, const char* file, std::uint64_t offset,
                                 std::uint64_t length, std::uint32_t flags) {
  return create(CreateCall::Mp4, mem, file, offset, length, flags);
}

Handle BASS_FLAC_StreamCreateFile(bool mem, const char* file, std::uint64_t offset,
                                  std::uint64_t length, std::uint32_t flags) {
  return create(CreateCall::Flac, mem, file, offset, length, flags);
}

Handle BASS_WMA_StreamCreateFile(bool mem, const char* file, std::uint64_t offset,
                                 std::uint64_t length, std::uint32_t flags) {
  return create(CreateCall::Wma, mem, file, offset, length, flags);
}

Handle BASS_WV_StreamCreateFile(bool mem, const char* file, std::uint64_t offset,
                                std::uint64_t length, std::uint32_t flags) {
  return create(CreateCall::WavPack, mem, file, offset, length, flags);
}

}  // namespace sonvale::audiolib
