#include <climits>

#include "audiolib/channel_table.h"

namespace sonvale::audiolib {
namespace {

constexpr std::int64_t kFrameBytes = 8;

// Runs `work` on the handle's stream under its lock; `failed` when the handle is
// not a live stream.
template <typename Result, typename Work>
Result with_stream(Handle handle, Result failed, Work work) {
  std::shared_ptr<Channel> channel = channel_table().find(handle);
  if (!channel) {
    set_error(kErrorHandle);
    return failed;
  }
  std::lock_guard lock(channel->lock);
  return work(*channel->stream);
}

// A byte count of the stream in the one mode these calls know; -1 on failure.
template <typename Count>
std::int64_t byte_count(Handle handle, std::uint32_t mode, std::uint32_t known_mode, Count count) {
  return with_stream(handle, std::int64_t{-1}, [&](ChannelSource& stream) {
    if (mode != known_mode) {
      set_error(kErrorIllegalType);
      return std::int64_t{-1};
    }
    set_error(kErrorOk);
    return count(stream);
  });
}

}  // namespace

std::int32_t BASS_ChannelGetData(Handle handle, void* buffer, std::uint32_t length) {
  if (buffer == nullptr || length > static_cast<std::uint32_t>(INT32_MAX)) {
    set_error(channel_table().find(handle) ? kErrorIllegalParam : kErrorHandle);
    return -1;
  }
  return with_stream(handle, std::int32_t{-1}, [&](ChannelSource& stream) {
    if (stream.finished()) {
      set_error(kErrorEnded);
      return std::int32_t{-1};
    }
    const std::int64_t frames = stream.read(static_cast<float*>(buffer), length / kFrameBytes);
    if (frames == 0 && stream.finished() && length >= kFrameBytes) {
      set_error(kErrorEnded);
      return std::int32_t{-1};
    }
    set_error(kErrorOk);
    return static_cast<std::int32_t>(frames * kFrameBytes);
  });
}

std::int64_t BASS_ChannelGetLength(Handle handle, std::uint32_t mode) {
  return byte_count(handle, mode, kPositionBytes, [](ChannelSource& stream) {
    const std::int64_t frames = stream.length_frames();
    if (frames >= 0) return frames * kFrameBytes;
    set_error(kErrorStopped);
    return std::int64_t{-1};
  });
}

std::int64_t BASS_ChannelGetPosition(Handle handle, std::uint32_t mode) {
  return byte_count(handle, mode, kPositionBytes,
                    [](ChannelSource& stream) { return stream.position_frames() * kFrameBytes; });
}

bool BASS_ChannelGetAttribute(Handle handle, std::uint32_t attribute, float* value) {
  return with_stream(handle, false, [&](ChannelSource& stream) {
    if (attribute != kAttributeRate) {
      set_error(kErrorIllegalType);
      return false;
    }
    if (value == nullptr) {
      set_error(kErrorIllegalParam);
      return false;
    }
    *value = static_cast<float>(stream.sample_rate());
    set_error(kErrorOk);
    return true;
  });
}

std::int64_t BASS_StreamGetFilePosition(Handle handle, std::uint32_t mode) {
  return byte_count(handle, mode, kFilePositionCurrent,
                    [](ChannelSource& stream) { return stream.file_position(); });
}

bool BASS_StreamFree(Handle handle) {
  if (!channel_table().remove(handle)) {
    set_error(kErrorHandle);
    return false;
  }
  set_error(kErrorOk);
  return true;
}

}  // namespace sonvale::audiolib
