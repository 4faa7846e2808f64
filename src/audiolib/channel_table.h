#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "audiolib/bass.h"
#include "audiolib/channel_source.h"
#include "audiolib/content_rules.h"

namespace sonvale::audiolib {

// One open stream. Its lock is held for the whole of each call on it.
struct Channel {
  std::mutex lock;
  std::unique_ptr<ChannelSource> stream;  // guarded by lock
  CreateCall call = CreateCall::Plain;     // the call that opened it; set before it is shared
};

// The library's handles. Every member takes the table's lock, briefly; no call on a
// stream happens under it.
class ChannelTable {
 public:
  // False when already initialised.
  bool initialise();
  // False when not initialised. Drops every stream.
  bool release();
  bool initialised() const;

  // 0 when not initialised.
  Handle add(std::shared_ptr<Channel> channel);
  std::shared_ptr<Channel> find(Handle handle) const;
  bool remove(Handle handle);

 private:
  mutable std::mutex mutex_;
  bool initialised_ = false;
  std::uint32_t next_ = 1;
  std::unordered_map<Handle, std::shared_ptr<Channel>> channels_;
};

ChannelTable& channel_table();

// Records the calling thread's error code for BASS_ErrorGetCode.
void set_error(int code);

}  // namespace sonvale::audiolib
