#include "output/live_capture.h"

#include <cstring>
#include <mutex>

#include "audiolib/record.h"
#include "engine/capture_buffer.h"
#include "output/stop_playback.h"
#include "output/transport.h"
#include "platform/player_ids.h"

namespace sonvale::output {

using namespace audiolib;

bool capture_callback(std::uint32_t, const void* buffer, std::uint32_t length, void* user) {
  Player& p = *static_cast<Player*>(user);
  engine::append_capture(p.playback, p.buffers.bytes(engine::Buffer::Capture), buffer, length);
  return true;
}

bool start_capture(Player& p, int device, int input, float volume) {
  if (!BASS_RecordInit(device)) return false;
  BASS_RecordSetInput(input, kRecordInputOn, volume);
  if (BASS_RecordStart(44100, 2, kRecordFloat, &capture_callback, &p) != 0) return true;
  BASS_RecordFree();
  return false;
}

void stop_live_run(Player& p) {
  BASS_RecordFree();
  p.ui.set_gadget_text(ids::kRateDisplay, "0");
  stop_playback(p, 0);
  {
    std::lock_guard guard(p.playback.capture_lock);
    std::memset(p.buffers.bytes(engine::Buffer::Capture), 0,
                static_cast<std::size_t>(p.playback.capture_fill.load()));
    p.playback.capture_fill = 0;
  }
  paint_transport_buttons(p.ui, 0);
}

bool capture_was_lost() { return !record_running(); }

}  // namespace sonvale::output
