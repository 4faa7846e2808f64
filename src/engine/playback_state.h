#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace sonvale::engine {

// Values of the active output buffer: which output buffer the device reads.
inline constexpr std::int32_t kDeviceReadsOutput1 = 10;
inline constexpr std::int32_t kDeviceReadsOutput2 = 5;

// Engine run state.
inline constexpr std::int8_t kEngineIdle = 0;
inline constexpr std::int8_t kEngineRunning = 1;
inline constexpr std::int8_t kEngineExhausted = 2;  // source ran out, or the decoder failed

// The read position of an output buffer that holds no block of this playback: the
// engine has not published one into it since the start (or the stop).
inline constexpr std::int32_t kNothingPublished = -1;

// The hand-over fields of one output buffer.
struct OutputHandover {
  // Valid bytes in the buffer. Engine writes (release) after the samples; the device
  // callback lowers it to the read position when it drains the buffer. Read by the
  // callback and the main window (acquire).
  std::atomic<std::int32_t> fill_length{0};
  // Bytes already given to the device; 0 = freshly filled, kNothingPublished = empty,
  // a state the callback never switches into. Engine writes 0 (release) after the
  // fill length; the callback advances it; Start and Stop playback empty it while
  // neither the engine nor the device runs. Read by the callback and the main window
  // (acquire).
  std::atomic<std::int32_t> read_position{kNothingPublished};

  bool empty() const { return read_position.load(std::memory_order_acquire) < 0; }
};

// The process-wide playback state through which the user interface, the loader, the
// engine threads and the device callback talk. Every field has one writer at a time;
// the comment on each says who writes and who reads it.
struct PlaybackState {
  // Stream of the track being read into blocks, 0 for none. Loader writes (main
  // thread at start, engine thread at track changes); engine and Start playback read.
  std::atomic<std::uint32_t> current_decoder{0};
  // Rate of the decoded frames in Hz, shared by every track of a playback. Playlist
  // and loader write on the main thread; Start playback and the main window read.
  std::atomic<std::int32_t> source_rate{0};
  // 1, 2 or 4 while playing, 0 idle. Start playback writes; engine and callback read.
  std::atomic<std::int8_t> rate_multiplier{0};
  // Source rate times multiplier, 0 idle. Start playback and stop write; engine reads.
  std::atomic<std::int32_t> output_rate{0};
  // Variant bytes of the three multipliers and the post filter. The main window
  // writes them while nothing plays; engine and workers read them once per block.
  std::atomic<std::int8_t> x1_variant{1};  // 0 Green, 1 Red
  std::atomic<std::int8_t> x2_variant{2};  // 0 Green, 1 Brown, 2 White
  std::atomic<std::int8_t> x4_variant{3};  // 0 Green, 1 Red, 2 Brown, 3 White
  std::atomic<std::int8_t> post_filter{1};
  // Processors of the affinity mask, at least 1. Main window writes; engine reads.
  std::atomic<std::int8_t> processor_count{1};
  // 0 idle, 1 running, 2 exhausted. Start playback writes 1, the engine 2, stop and
  // failed starts 0; engine and main window read.
  std::atomic<std::int8_t> engine_run_state{kEngineIdle};
  // 1 asks the engine thread and its workers to leave. Stop playback writes 1, each
  // engine thread clears it as it starts; engine and workers poll it.
  std::atomic<std::int8_t> stop_request{0};
  // Priority on the 1..32 scale that every new worker thread gets. Start-up writes 1,
  // Start playback 16 while priming and 15 once the device runs; engine reads.
  std::atomic<std::int8_t> worker_priority{1};
  // Output buffer the engine fills next, 1 or 2. Start playback writes 1 before the
  // engine thread exists; after that only the engine.
  std::atomic<std::int8_t> fill_selector{0};
  // kDeviceReadsOutput1 or kDeviceReadsOutput2. Start playback writes 10 before the
  // device starts; after that only the device callback. Engine reads.
  std::atomic<std::int32_t> active_output{0};
  // Hand-over of output buffers 1 and 2 (index 0 and 1).
  std::array<OutputHandover, 2> output;
  // Length of the latest output block, 0 until the first block of a playback is
  // ready. Engine writes (release) after the read position; stop and failures write
  // 0. Start playback reads (acquire) while it primes.
  std::atomic<std::int32_t> first_fill_count{0};
  // Bytes in the capture buffer. The capture callback raises it after appending, the
  // live engine sets 0 after taking, both holding capture_lock; anyone may read it
  // without the lock to show progress.
  std::atomic<std::int32_t> capture_fill{0};
  std::mutex capture_lock;

  OutputHandover& output_buffer(int which) { return output[which == 2 ? 1 : 0]; }
};

// Marks both output buffers empty: nothing published, nothing to play. Only while
// neither the engine thread nor the device callback runs.
void empty_output_buffers(PlaybackState& state);

// Publishes a freshly filled output buffer (1 or 2) to the device callback: its fill
// length, then its read position 0, then the first-fill count, each a release store,
// so that whoever sees the read position 0 also sees the samples and the length.
void publish_fill(PlaybackState& state, int which, std::int32_t length);

}  // namespace sonvale::engine
