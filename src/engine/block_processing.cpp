#include "engine/block_processing.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "engine/post_filter.h"
#include "engine/products.h"
#include "engine/stage_chain.h"
#include "platform/thread.h"

namespace sonvale::engine {
namespace {

// Zeroed frames that live as long as the run.
struct OwnedFrames {
  explicit OwnedFrames(std::int64_t frames) : samples(2 * frames) {}
  FrameBuffer view() { return {samples.data(), static_cast<std::int64_t>(samples.size() / 2)}; }
  std::vector<float> samples;
};

// Buffers, tables and workers of their own for one last block of a mode.
class OnePass {
 public:
  OnePass(SoundMode mode, Block block, const Tables& tables, int threads, Isa isa)
      : input_(chain_of(mode)->lead_in / 8 + block.length / 8 + chain_of(mode)->continuation / 8),
        carry_((chain_of(mode)->lead_in + chain_of(mode)->continuation) / 8),
        a_(work_frames(mode, block)), b_(work_frames(mode, block)), c_(work_frames(mode, block)),
        tail_(kFilterHistoryFrames),
        scratch_(static_cast<std::size_t>(threads) * kScratchSlotBytes + kScratchAlignment),
        memory_{input_.view(), carry_.view(), a_.view(), b_.view(), c_.view(), tail_.view(), aligned(scratch_),
                tables},
        context_{memory_, state_, ranges_, pool_, isa} {
    state_.processor_count = static_cast<std::int8_t>(threads);
    state_.worker_priority = platform::kPriorityNormal;
  }

  EngineContext& context() { return context_; }
  FrameBuffer final_buffer(SoundMode mode) {
    switch (chain_of(mode)->final_buffer) {
      case Area::B: return b_.view();
      case Area::C: return c_.view();
      default: return a_.view();
    }
  }
  // The first `frames` frames of work buffer A, where a block's output ends up.
  std::vector<Frame> output(std::int64_t frames) const {
    std::vector<Frame> out(frames);
    std::memcpy(out.data(), a_.samples.data(), out.size() * sizeof(Frame));
    return out;
  }

 private:
  static std::int64_t work_frames(SoundMode mode, Block block) {
    return std::max(work_frames_needed(mode, block), post_filter_frames_needed(mode, block));
  }
  static std::span<std::byte> aligned(std::vector<std::byte>& scratch) {
    const auto skip = (kScratchAlignment - reinterpret_cast<std::uintptr_t>(scratch.data()) % kScratchAlignment) %
                      kScratchAlignment;
    return std::span(scratch).subspan(skip, scratch.size() - kScratchAlignment);
  }

  OwnedFrames input_, carry_, a_, b_, c_, tail_;
  std::vector<std::byte> scratch_;
  EngineMemory memory_;
  PlaybackState state_;
  RangeTables ranges_;
  WorkerPool pool_;
  EngineContext context_;
};

// Positions of the widest stage must fit signed 32-bit byte offsets.
bool fits_positions(std::int64_t length_bytes) { return 4 * length_bytes + 65'536 <= INT_MAX; }

}  // namespace

Outcome process_block(EngineContext& context, SoundMode mode, int post_filter, Block block,
                      int block_processors) {
  if (run_chain(context, mode, block, block_processors) == Outcome::Stopped) return Outcome::Stopped;
  return run_post_filter(context, mode, post_filter, block);
}

std::vector<Frame> process_stream(std::span<const Frame> stream, SoundMode mode, int post_filter,
                                  const Tables& tables, int threads, Isa isa) {
  const Chain* chain = chain_of(mode);
  if (chain == nullptr) return {stream.begin(), stream.end()};
  const std::int64_t lead = chain->lead_in / 8;
  const std::int64_t length = (static_cast<std::int64_t>(stream.size()) + lead) * 8;
  if (!fits_positions(length)) return {};
  const Block block{static_cast<std::int32_t>(length), true};

  OnePass pass(mode, block, tables, threads, isa);
  std::memcpy(pass.context().memory.input.frame(lead), stream.data(), stream.size_bytes());
  process_block(pass.context(), mode, post_filter, block, threads);
  return pass.output(output_length(mode, block) / 8);
}

std::vector<Frame> post_filter_stream(std::span<const Frame> input, SoundMode mode, int post_filter,
                                      const Tables& tables, int threads, Isa isa) {
  const Chain* chain = chain_of(mode);
  const int multiplier = info_of(mode).multiplier;
  const std::int64_t frames = static_cast<std::int64_t>(input.size()) - kPostFilterReach;
  if (chain == nullptr || frames < multiplier || !fits_positions(frames / multiplier * 8)) return {};
  const Block block{static_cast<std::int32_t>(frames / multiplier * 8), true};

  OnePass pass(mode, block, tables, threads, isa);
  FrameBuffer s = pass.final_buffer(mode);
  std::memcpy(s.data, input.data(), (output_length(mode, block) / 8 + kPostFilterReach) * sizeof(Frame));
  run_post_filter(pass.context(), mode, post_filter, block);
  return pass.output(output_length(mode, block) / 8);
}

}  // namespace sonvale::engine
