#include "audiolib/channel_table.h"

namespace sonvale::audiolib {
namespace {

thread_local int last_error = kErrorOk;

}  // namespace

void set_error(int code) { last_error = code; }

bool ChannelTable::initialise() {
  std::lock_guard lock(mutex_);
  if (initialised_) return false;
  initialised_ = true;
  return true;
}

bool ChannelTable::release() {
  std::unordered_map<Handle, std::shared_ptr<Channel>> dropped;
  std::lock_guard lock(mutex_);
  if (!initialised_) return false;
  initialised_ = false;
  dropped.swap(channels_);
  return true;
}

bool ChannelTable::initialised() const {
  std::lock_guard lock(mutex_);
  return initialised_;
}

Handle ChannelTable::add(std::shared_ptr<Channel> channel) {
  std::lock_guard lock(mutex_);
  if (!initialised_) return 0;
  // Handles count up and wrap, skipping 0 and live ones, so that a freed handle is
  // not soon given to a new stream.
  while (next_ == 0 || channels_.contains(next_)) ++next_;
  const Handle handle = next_++;
  channels_.emplace(handle, std::move(channel));
  return handle;
}

std::shared_ptr<Channel> ChannelTable::find(Handle handle) const {
  std::lock_guard lock(mutex_);
  auto it = channels_.find(handle);
  return it == channels_.end() ? nullptr : it->second;
}

bool ChannelTable::remove(Handle handle) {
  std::shared_ptr<Channel> dropped;
  std::lock_guard lock(mutex_);
  auto it = channels_.find(handle);
  if (it == channels_.end()) return false;
  dropped = std::move(it->second);
  channels_.erase(it);
  return true;
}

ChannelTable& channel_table() {
  static ChannelTable table;
  return table;
}

bool BASS_Init(int device, std::uint32_t, std::uint32_t, void*, const void*) {
  if (device != 0) {
    set_error(kErrorDevice);
    return false;
  }
  if (!channel_table().initialise()) {
    set_error(kErrorAlready);
    return false;
  }
  set_error(kErrorOk);
  return true;
}

bool BASS_Free() {
  if (!channel_table().release()) {
    set_error(kErrorInit);
    return false;
  }
  set_error(kErrorOk);
  return true;
}

int BASS_ErrorGetCode() { return last_error; }

const char* error_text(int code) {
  switch (code) {
    case kErrorStopped: return "stopped before the length was measured";
    case kErrorOk: return "no error";
    case kErrorMemory: return "out of memory";
    case kErrorFileOpen: return "the file cannot be opened: it is missing, unreadable or not a file";
    case kErrorHandle: return "not an open stream";
    case kErrorInit: return "the decoder is not ready";
    case kErrorAlready: return "the decoder is already set up";
    case kErrorIllegalType: return "an attribute or mode the decoder does not know";
    case kErrorIllegalParam: return "an argument the decoder does not take";
    case kErrorDevice: return "no such device";
    case kErrorSampleRate: return "a sample rate no sound card plays (outside 8,000 to 768,000 Hz)";
    case kErrorFileFormat: return "not audio of the kind its name says, or damaged";
    case kErrorCodec: return "its audio cannot be decoded";
    case kErrorEnded: return "the stream has ended";
    default: return "an unknown error";
  }
}

}  // namespace sonvale::audiolib
