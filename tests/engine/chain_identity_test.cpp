// The output of every mode and filter depends on nothing but the input: not on the
// thread count, not on the instruction set, not on where blocks begin.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/block_processing.h"
#include "engine/kernel_tables.h"
#include "engine/post_filter.h"
#include "engine/stage_chain.h"
#include "engine_harness.h"

namespace sonvale::engine {
namespace {

using test::hash_bytes;
using test::noise;
using test::supported_isas;

class EveryMode : public testing::TestWithParam<SoundMode> {};

std::string mode_name(const testing::TestParamInfo<SoundMode>& info) {
  std::string name;
  for (char ch : info_of(info.param).label)
    if (ch != ' ' && ch != 'x') name += ch;
  return name;
}

INSTANTIATE_TEST_SUITE_P(ProcessingModes, EveryMode,
                         testing::Values(SoundMode::Red1, SoundMode::Green2, SoundMode::Brown2,
                                         SoundMode::White2, SoundMode::Green4, SoundMode::Red4,
                                         SoundMode::Brown4, SoundMode::White4),
                         mode_name);

void fill_with_garbage(const EngineMemory& memory, int seed) {
  for (const FrameBuffer& work : {memory.work_a, memory.work_b, memory.work_c})
    std::memset(work.data, 0x40 + seed % 64, work.frames * 8);
}

constexpr int kFilters[] = {kPostFilterOff, kPostFilterHamming255, kPostFilterBlackman255,
                            kPostFilterHamming2047};

// The last block of a stream of 5,003 frames: with any lead-in it is not a multiple
// of 32 bytes long. The chain runs once per configuration, then every filter. Each
// configuration starts from work buffers full of its own garbage, so a frame that
// one of them fails to compute cannot pass for the others' result.
TEST_P(EveryMode, ALastBlockIsTheSameForEveryThreadCountAndInstructionSet) {
  const SoundMode mode = GetParam();
  constexpr std::int64_t kData = 5003;
  const std::int64_t lead = lead_in_bytes(mode) / 8;
  const Block block{static_cast<std::int32_t>((kData + lead) * 8), true};
  ASSERT_NE(block.length % 32, 0);
  const std::vector<Frame> data = noise(kData, 11);
  const std::int64_t n = output_length(mode, block) / 8;

  std::vector<std::uint64_t> reference;
  int configuration = 0;
  for (Isa isa : supported_isas())
    for (int threads : {1, 2, 3, 4, 32}) {
      test::TestEngine engine(mode, kData, threads, isa);
      const EngineMemory& memory = engine.memory();
      std::memcpy(memory.input.frame(lead), data.data(), kData * 8);
      fill_with_garbage(memory, ++configuration);
      ASSERT_EQ(run_chain(engine.context(), mode, block, threads), Outcome::Finished);
      std::vector<std::uint64_t> hashes;
      for (int filter : kFilters) {
        ASSERT_EQ(run_post_filter(engine.context(), mode, filter, block), Outcome::Finished);
        hashes.push_back(hash_bytes(memory.work_a.data, (n + (filter == kPostFilterOff ? 0 : 1)) * 8));
      }
      if (reference.empty()) reference = hashes;
      EXPECT_EQ(hashes, reference) << isa_name(isa) << ", " << threads << " threads";
    }
}

// Blocks of 3,001 frames (24,008 bytes) with carry, continuation and filter history,
// against the whole stream in one pass; the second stream ends exactly on a block
// boundary, so its last block is padding alone.
TEST_P(EveryMode, PlayingInBlocksGivesExactlyTheOnePassOutput) {
  const SoundMode mode = GetParam();
  const TableSet tables;
  constexpr std::int64_t kBlock = 3001;
  const Isa isa = best_isa();
  for (std::int64_t frames : {std::int64_t{10'007}, 3 * kBlock}) {
    const std::vector<Frame> stream = noise(frames, 5);
    for (int filter : kFilters) {
      const std::vector<Frame> one_pass = process_stream(stream, mode, filter, tables.view(), 1, isa);
      const std::vector<Frame> blocks = test::play_in_blocks(stream, mode, filter, kBlock, 2, isa);
      ASSERT_EQ(blocks.size(), one_pass.size()) << "filter " << filter;
      std::int64_t first_difference = -1;
      for (std::size_t i = 0; i < blocks.size() && first_difference < 0; ++i)
        if (std::memcmp(&blocks[i], &one_pass[i], sizeof(Frame)) != 0) first_difference = static_cast<std::int64_t>(i);
      EXPECT_EQ(first_difference, -1) << "filter " << filter << ", " << frames << " frames";
    }
  }
}

// A full block of 25,165,824 bytes, its continuation and a filter history of noise,
// each configuration starting from its own garbage.
TEST_P(EveryMode, AFullBlockIsTheSameForEveryThreadCountAndInstructionSet) {
  if (test::kSanitized) GTEST_SKIP() << "full blocks take minutes under the sanitizers";
  const SoundMode mode = GetParam();
  SampleBuffers buffers;
  ASSERT_FALSE(buffers.reserve().has_value());
  build_kernel_tables(buffers, kKernelHalfWidth);
  install_filter_tables(buffers);
  const EngineMemory memory = memory_of(buffers);
  const Block block{kBlockBytes, false};
  const std::int64_t input_frames = (lead_in_bytes(mode) + kBlockBytes + continuation_bytes(mode)) / 8;
  const std::vector<Frame> input = noise(input_frames, 23);
  std::memcpy(memory.input.data, input.data(), input_frames * 8);
  const std::vector<Frame> history = noise(kFilterHistoryFrames, 29);
  const std::int64_t n = output_length(mode, block) / 8;

  struct Config {
    int threads;
    Isa isa;
  };
  std::vector<Config> configs{{2, Isa::Sse2}, {1, best_isa()}, {3, Isa::Avx2}, {4, best_isa()}};
  std::erase_if(configs, [](const Config& c) { return !isa_supported(c.isa); });
  std::vector<std::uint64_t> reference;
  for (std::size_t i = 0; i < configs.size(); ++i) {
    const Config config = configs[i];
    SCOPED_TRACE(testing::Message() << isa_name(config.isa) << ", " << config.threads << " threads");
    fill_with_garbage(memory, static_cast<int>(i));
    PlaybackState state;
    state.processor_count = static_cast<std::int8_t>(config.threads);
    RangeTables ranges;
    WorkerPool pool;
    EngineContext context{memory, state, ranges, pool, config.isa};
    ASSERT_EQ(run_chain(context, mode, block, config.threads), Outcome::Finished);
    std::vector<std::uint64_t> hashes{hash_bytes(memory.carry.data, lead_in_bytes(mode) + continuation_bytes(mode))};
    for (int filter : kFilters) {
      std::memcpy(memory.filter_tail.data, history.data(), kFilterHistoryFrames * 8);
      ASSERT_EQ(run_post_filter(context, mode, filter, block), Outcome::Finished);
      hashes.push_back(hash_bytes(memory.work_a.data, (n + (filter == kPostFilterOff ? 0 : 1)) * 8));
      hashes.push_back(hash_bytes(memory.filter_tail.data, kFilterHistoryFrames * 8));
    }
    if (reference.empty()) reference = hashes;
    EXPECT_EQ(hashes, reference);
  }
}

}  // namespace
}  // namespace sonvale::engine
