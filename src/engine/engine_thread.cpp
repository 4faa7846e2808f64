#include "engine/engine_thread.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "engine/block_processing.h"
#include "engine/fill_output.h"
#include "engine/post_filter.h"
#include "engine/stage_chain.h"
#include "platform/time.h"

namespace sonvale::engine {
namespace {

constexpr int kPollMs = 100;
// Decoding is asked for in pieces of this size, so that a stop is seen while a
// block is being gathered.
constexpr std::int32_t kReadPiece = 4 << 20;
// Tracks opened one after another without a single frame of data: the playlist is
// taken as run out rather than walked for ever (a repeating page of empty or
// undecodable files).
constexpr int kMaxEmptyTracks = 256;

enum class ReadEnd {
  Full,           // as many bytes as were asked for
  PlaylistEnded,  // no next track
  BrokenOff,      // a track failed after giving audio: the playlist ends with it
  Stopped,
};

// Reads the playlist's decoded stream, moving on to the next track whenever one
// runs out. A track that ends short of its length moves on too, and so does one that
// gives no audio at all (a file whose header is intact and whose audio is not), as
// an empty track does.
class StreamReader {
 public:
  StreamReader(PlaybackState& state, TrackSource& source) : state_(state), source_(source) {}

  std::int32_t read(std::byte* destination, std::int32_t want, ReadEnd& end) {
    std::int32_t got = 0;
    int empty_tracks = 0;
    while (got < want) {
      if (state_.stop_request.load()) return end = ReadEnd::Stopped, got;
      const std::uint32_t stream = state_.current_decoder.load();
      if (stream == 0) return end = ReadEnd::PlaylistEnded, got;
      const std::int64_t remaining = source_.get_length(stream) - source_.get_position(stream);
      if (remaining > 0) {
        const auto ask = static_cast<std::uint32_t>(std::min<std::int64_t>({want - got, remaining, kReadPiece}));
        const std::int32_t n = source_.get_data(stream, destination + got, ask);
        if (n > 0) {
          got += n;
          empty_tracks = 0;
          continue;
        }
        const bool ended = source_.error_code() == kStreamEnded;
        if (!ended && source_.get_position(stream) > 0) return end = ReadEnd::BrokenOff, got;
      }
      if (++empty_tracks > kMaxEmptyTracks) return end = ReadEnd::PlaylistEnded, got;
      source_.next_track();
    }
    end = ReadEnd::Full;
    return got;
  }

 private:
  PlaybackState& state_;
  TrackSource& source_;
};

// Ended: no block, the playlist ended with the previous one (or before anything
// could be read).
enum class Made { Block, Ended, Failed, Stopped };

class Engine {
 public:
  Engine(EngineContext& context, const SampleBuffers& buffers, TrackSource& source)
      : context_(context), state_(context.state), buffers_(buffers), reader_(context.state, source) {}

  int run();

 private:
  bool ready() const;
  Made make_block(SoundMode mode, std::int32_t& output_bytes);
  Made gather_plain(std::int32_t& output_bytes);
  Made gather_with_lead_in(SoundMode mode, Block& block);
  void fill_output(std::int32_t bytes);

  std::byte* input() const { return reinterpret_cast<std::byte*>(context_.memory.input.data); }
  std::byte* carry() const { return reinterpret_cast<std::byte*>(context_.memory.carry.data); }
  std::byte* work_a() const { return reinterpret_cast<std::byte*>(context_.memory.work_a.data); }

  EngineContext& context_;
  PlaybackState& state_;
  const SampleBuffers& buffers_;
  StreamReader reader_;

  int blocks_delivered_ = 0;    // 0, 1, then 2 for the rest of the playback
  std::int32_t wait_value_ = 0;  // the active-output value during which not to fill
  int processors_ = 1;
  // After a full block: bytes of the next block's data already read (they follow
  // the lead-in in the carry buffer), and whether the playlist ended while reading them.
  std::int32_t read_ahead_ = 0;
  std::optional<ReadEnd> ended_ahead_;
  bool last_block_ = false;  // the block being made is the playlist's last
};

bool Engine::ready() const {
  const bool device_moved_on = blocks_delivered_ < 2 || state_.active_output.load() != wait_value_;
  const bool has_source = state_.current_decoder.load() != 0 || ended_ahead_.has_value();
  return device_moved_on && state_.output_rate.load() > 0 && has_source &&
         state_.engine_run_state.load() == kEngineRunning;
}

int Engine::run() {
  state_.stop_request = 0;
  bool filled = true;  // the first block starts at once
  for (;;) {
    // The first two blocks follow each other at once; after that the engine waits in
    // turns for the device to move on.
    if (!filled) platform::sleep_ms(kPollMs);
    filled = false;
    if (state_.stop_request.load()) return 0;
    if (ready()) {
      processors_ = state_.processor_count.load();
      if (blocks_delivered_ > 0) state_.fill_selector = state_.fill_selector.load() == 2 ? 1 : 2;
      if (blocks_delivered_ < 2) ++blocks_delivered_;
      const int multiplier = state_.rate_multiplier.load();
      const int variant = multiplier == 1   ? state_.x1_variant.load()
                          : multiplier == 2 ? state_.x2_variant.load()
                                            : state_.x4_variant.load();
      if (const std::optional<SoundMode> mode = sound_mode_of(multiplier, variant)) {
        std::int32_t output_bytes = 0;
        switch (make_block(*mode, output_bytes)) {
          case Made::Failed:
          case Made::Ended:
            state_.engine_run_state = kEngineExhausted;
            return 0;
          case Made::Stopped:
            return 0;
          case Made::Block:
            fill_output(output_bytes);
            filled = true;
            // Only now: the main window ends playback once the engine is exhausted
            // and both buffers are drained, which must not happen before the last
            // block is in one of them.
            if (last_block_) state_.engine_run_state = kEngineExhausted;
            break;
        }
      }
    }
    if (state_.engine_run_state.load() >= kEngineExhausted) return 0;
  }
}

Made Engine::make_block(SoundMode mode, std::int32_t& output_bytes) {
  if (mode == SoundMode::Green1) return gather_plain(output_bytes);
  // Start-up carries on without the tables it could not reserve; the long post filter
  // also needs the tail it carries from block to block.
  const int filter = state_.post_filter.load();
  const EngineMemory& memory = context_.memory;
  if (!memory.tables.complete() ||
      (filter == kPostFilterHamming2047 && memory.filter_tail.frames < kFilterHistoryFrames))
    return Made::Failed;
  Block block;
  const Made gathered = gather_with_lead_in(mode, block);
  if (gathered != Made::Block) return gathered;
  if (process_block(context_, mode, filter, block, processors_) == Outcome::Stopped) return Made::Stopped;
  output_bytes = output_length(mode, block);
  return Made::Block;
}

// Green x 1: the decoded frames as they are, straight into work buffer A. A playlist
// that ends exactly at a block's end leaves nothing for the next one: that is no
// block, and nothing is published for it.
Made Engine::gather_plain(std::int32_t& output_bytes) {
  ReadEnd end;
  const std::int32_t got = reader_.read(work_a(), kBlockBytes, end);
  if (end == ReadEnd::Stopped) return Made::Stopped;
  if (got == 0) return Made::Ended;
  last_block_ = end != ReadEnd::Full;
  output_bytes = got;
  return Made::Block;
}

// The input buffer: the lead-in (the end of the previous block), the block's data,
// then what follows it. A full block reads the frames that follow it too and keeps
// them for the next one; the playlist's last block is padded with a lead-in of zeros
// so that the filters' delayed tail is played out, however the playlist ended.
Made Engine::gather_with_lead_in(SoundMode mode, Block& block) {
  const std::int32_t lead_in = lead_in_bytes(mode);
  const std::int32_t ahead = continuation_bytes(mode);
  std::byte* data = input() + lead_in;

  if (blocks_delivered_ == 1)
    std::memset(input(), 0, static_cast<std::size_t>(lead_in + read_ahead_));
  else
    std::memcpy(input(), carry(), static_cast<std::size_t>(lead_in + read_ahead_));
  std::int32_t length = read_ahead_;
  ReadEnd end = ended_ahead_.value_or(ReadEnd::Full);
  read_ahead_ = 0;

  if (!ended_ahead_) {
    length += reader_.read(data + length, kBlockBytes - length, end);
    if (end == ReadEnd::Stopped) return Made::Stopped;
  }

  if (end == ReadEnd::Full) {
    ReadEnd after = ReadEnd::Full;
    read_ahead_ = reader_.read(data + kBlockBytes, ahead, after);
    if (after == ReadEnd::Stopped) return Made::Stopped;
    std::memset(data + kBlockBytes + read_ahead_, 0, static_cast<std::size_t>(ahead - read_ahead_));
    if (after != ReadEnd::Full) ended_ahead_ = after;
    block = Block{kBlockBytes, false};
    return Made::Block;
  }

  // The playlist ends in this block; on the first block with nothing read there is
  // no tail to play out either.
  ended_ahead_.reset();
  if (length == 0 && blocks_delivered_ == 1) return Made::Ended;
  std::memset(data + length, 0, static_cast<std::size_t>(lead_in));
  length += lead_in;
  last_block_ = true;
  block = Block{length, true};
  return Made::Block;
}

void Engine::fill_output(std::int32_t bytes) {
  if (const std::int32_t wait_value = engine::fill_output(state_, buffers_, work_a(), bytes)) wait_value_ = wait_value;
}

}  // namespace

int run_engine_thread(EngineContext& context, const SampleBuffers& buffers, TrackSource& source) {
  Engine engine(context, buffers, source);
  return engine.run();
}

}  // namespace sonvale::engine
