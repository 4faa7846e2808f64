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
  // The widest positions: four times the block plus the stages' margins.
  if (4 * length + 65'536 > INT_MAX) return {};
  const Block block{static_cast<std::int32_t>(length), true};

  OwnedFrames input(lead + length / 8 + chain->continuation / 8);
  std::memcpy(input.view().frame(lead), stream.data(), stream.size_bytes());
  const std::int64_t work = std::max(work_frames_needed(mode, block), post_filter_frames_needed(mode, block));
  OwnedFrames carry((chain->lead_in + chain->continuation) / 8), a(work), b(work), c(work);
  OwnedFrames tail(kFilterHistoryFrames);
  std::vector<std::byte> scratch(static_cast<std::size_t>(threads) * kScratchSlotBytes + kScratchAlignment);
  const auto aligned = (kScratchAlignment - reinterpret_cast<std::uintptr_t>(scratch.data()) % kScratchAlignment) %
                       kScratchAlignment;

  EngineMemory memory{input.view(), carry.view(), a.view(), b.view(), c.view(), tail.view(),
                      std::span(scratch).subspan(aligned, scratch.size() - kScratchAlignment), tables};
  PlaybackState state;
  state.processor_count = static_cast<std::int8_t>(threads);
  state.worker_priority = platform::kPriorityNormal;
  RangeTables ranges;
  WorkerPool pool;
  EngineContext context{memory, state, ranges, pool, isa};
  process_block(context, mode, post_filter, block, threads);

  std::vector<Frame> output(output_length(mode, block) / 8);
  std::memcpy(output.data(), a.samples.data(), output.size() * sizeof(Frame));
  return output;
}

}  // namespace sonvale::engine
