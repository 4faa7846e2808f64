// What the live engine costs while it has two blocks out and waits for the device
// to move on, which is most of a live run: processor time of the whole process per
// second of waiting (the CPU column, per 1 s iteration).
//
//   live_wait_bench [google benchmark flags]

#include <benchmark/benchmark.h>

#include <thread>
#include <vector>

#include "engine/capture_buffer.h"
#include "engine/engine_context.h"
#include "engine/kernel_tables.h"
#include "engine/live_engine_thread.h"
#include "platform/time.h"

namespace sonvale::bench {
namespace {

using namespace engine;

void LiveEngineWaitingForTheDevice(benchmark::State& st) {
  SampleBuffers buffers;
  if (buffers.reserve()) return st.SkipWithError("no memory for the sample buffers");
  build_kernel_tables(buffers, kKernelHalfWidth);
  install_filter_tables(buffers);
  PlaybackState state;
  state.rate_multiplier = 1;
  state.output_rate = 44100;
  state.x1_variant = 0;  // Green x 1: no computing, only the waiting shows
  state.engine_run_state = kEngineRunning;
  state.fill_selector = 1;
  RangeTables ranges;
  WorkerPool pool;
  EngineContext context{memory_of(buffers), state, ranges, pool};
  std::thread live([&] { run_live_engine_thread(context, buffers, {}); });

  // Two blocks captured at once; the device starts on the first, as after priming,
  // and never moves on.
  const std::vector<std::byte> block(kTakeThreshold + 4);
  for (int b = 1; b <= 2; ++b) {
    append_capture(state, buffers.bytes(Buffer::Capture), block.data(), static_cast<std::uint32_t>(block.size()));
    while (state.output_buffer(b).fill_length.load() == 0) platform::sleep_ms(1);
    state.active_output = kDeviceReadsOutput1;
  }
  platform::sleep_ms(100);

  for (auto _ : st) platform::sleep_ms(1000);

  state.stop_request = 1;
  live.join();
}
BENCHMARK(LiveEngineWaitingForTheDevice)->MeasureProcessCPUTime()->UseRealTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sonvale::bench

BENCHMARK_MAIN();
