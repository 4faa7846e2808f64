#include "engine/live_engine_thread.h"

#include <cstring>

#include "engine/block_processing.h"
#include "engine/capture_buffer.h"
#include "engine/fill_output.h"
#include "engine/post_filter.h"
#include "engine/stage_chain.h"
#include "platform/time.h"

namespace sonvale::engine {
namespace {

constexpr int kCapturePollMs = 100;
// How often it looks whether the device has moved on to the other buffer. A block
// plays for over a minute, so a look this often costs nothing audible, and the
// thread sleeps in between instead of spinning.
constexpr int kDevicePollMs = 10;

class LiveEngine {
 public:
  LiveEngine(EngineContext& context, const SampleBuffers& buffers, const std::function<void(int)>& show_fill)
      : context_(context), state_(context.state), buffers_(buffers), show_fill_(show_fill) {}

  int run();

 private:
  bool ready() const;
  // One block, from taking the capture to filling an output buffer; false when the
  // stop request ended it.
  bool make_block(SoundMode mode);
  // Waits until the capture buffer is full enough, then takes it into `destination`;
  // nothing when the stop request came first.
  std::optional<std::int32_t> take(std::byte* destination);
  void fill(std::int32_t bytes);

  std::byte* input() const { return reinterpret_cast<std::byte*>(context_.memory.input.data); }
  std::byte* carry() const { return reinterpret_cast<std::byte*>(context_.memory.carry.data); }
  std::byte* work_a() const { return reinterpret_cast<std::byte*>(context_.memory.work_a.data); }

  EngineContext& context_;
  PlaybackState& state_;
  const SampleBuffers& buffers_;
  const std::function<void(int)>& show_fill_;

  int block_counter_ = 0;        // blocks begun in this run; it keeps counting
  std::int32_t wait_value_ = 0;  // the active-output value during which not to fill
};

bool LiveEngine::ready() const {
  const bool device_moved_on = block_counter_ < 2 || state_.active_output.load() != wait_value_;
  return device_moved_on && state_.output_rate.load() > 0 && state_.engine_run_state.load() == kEngineRunning;
}

int LiveEngine::run() {
  state_.stop_request = 0;
  for (;;) {
    if (state_.stop_request.load()) return 0;
    const std::optional<SoundMode> mode =
        live_sound_mode(state_.rate_multiplier.load(), state_.x1_variant.load(), state_.x4_variant.load());
    if (ready() && mode) {
      if (!make_block(*mode)) return 0;
    } else {
      platform::sleep_ms(kDevicePollMs);
    }
    if (state_.engine_run_state.load() >= kEngineExhausted) return 0;
  }
}

bool LiveEngine::make_block(SoundMode mode) {
  if (block_counter_ > 0) state_.fill_selector = state_.fill_selector.load() == 2 ? 1 : 2;
  ++block_counter_;

  if (mode == SoundMode::Green1) {
    const std::optional<std::int32_t> taken = take(work_a());
    if (!taken) return false;
    fill(*taken);
    return true;
  }
  // The tables are among the reservations the program can start without.
  if (!context_.memory.tables.complete()) {
    state_.engine_run_state = kEngineExhausted;
    return false;
  }
  const std::int32_t lead_in = lead_in_bytes(mode);
  const std::optional<std::int32_t> taken = take(input() + lead_in);
  if (!taken) return false;
  if (block_counter_ == 1)
    std::memset(input(), 0, static_cast<std::size_t>(lead_in));
  else
    std::memcpy(input(), carry(), static_cast<std::size_t>(lead_in));
  // What follows the block has not been captured yet: the stages see silence there.
  std::memset(input() + lead_in + *taken, 0, static_cast<std::size_t>(continuation_bytes(mode)));

  // Only a full block hands its end on as the next block's lead-in; the chain's carry
  // update zeroes the carry after any other.
  const Block block{*taken, *taken != kBlockBytes};
  const int filter = state_.post_filter.load();
  const int applied = filter == kPostFilterHamming255 || filter == kPostFilterBlackman255 ? filter : kPostFilterOff;
  if (process_block(context_, mode, applied, block, 1) == Outcome::Stopped) return false;
  fill(output_length(mode, block));
  return true;
}

std::optional<std::int32_t> LiveEngine::take(std::byte* destination) {
  for (std::int32_t fill; (fill = state_.capture_fill.load(std::memory_order_relaxed)) < kTakeThreshold;) {
    if (show_fill_) show_fill_(capture_bar_value(fill));
    platform::sleep_ms(kCapturePollMs);
    if (state_.stop_request.load()) return std::nullopt;
  }
  return take_capture(state_, buffers_.bytes(Buffer::Capture), destination);
}

void LiveEngine::fill(std::int32_t bytes) {
  if (const std::int32_t wait_value = fill_output(state_, buffers_, work_a(), bytes)) wait_value_ = wait_value;
}

}  // namespace

std::optional<SoundMode> live_sound_mode(int multiplier, int x1_variant, int x4_variant) {
  switch (multiplier) {
    case 1:
      return x1_variant == 0 ? SoundMode::Green1 : x1_variant == 1 ? std::optional(SoundMode::Red1) : std::nullopt;
    case 2:
      return SoundMode::Green2;
    case 4:
      return x4_variant == 0 ? SoundMode::Green4 : x4_variant == 1 ? std::optional(SoundMode::Red4) : std::nullopt;
    default:
      return std::nullopt;
  }
}

int run_live_engine_thread(EngineContext& context, const SampleBuffers& buffers,
                           const std::function<void(int)>& show_fill) {
  LiveEngine engine(context, buffers, show_fill);
  return engine.run();
}

}  // namespace sonvale::engine
