// Speed of the sound engine's arithmetic beside the machine's roof, measured in the
// same run: one full block of every mode and post filter at 1 and 2 threads, the
// product kernels on normal and on denormal samples, and how soon a stop ends a
// stage.
//
//   engine_bench [--isa=sse2|avx2|avx512] [google benchmark flags]
//
// roof_ratio = time ÷ (flops ÷ peak rate of the threads), where flops counts one
// multiply and one add per tap and channel, and the peak rate is that of a loop of
// independent vector multiplies and adds on the same instruction set and as many
// threads. own_roof_ratio charges each phase at the rate of the threads it may use:
// LPF green and red run on one thread whatever the processor count.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine/block_processing.h"
#include "engine/post_filter.h"
#include "engine/products.h"
#include "engine/sample_buffers.h"
#include "engine/stage_chain.h"
#include "roof.h"

namespace sonvale::bench {
namespace {

using namespace engine;
using Clock = std::chrono::steady_clock;

Isa chosen_isa = best_isa();

constexpr SoundMode kModes[] = {SoundMode::Red1,  SoundMode::Green2, SoundMode::Brown2, SoundMode::White2,
                                SoundMode::Green4, SoundMode::Red4,  SoundMode::Brown4, SoundMode::White4};
constexpr const char* kFilterNames[] = {"LPFblue", "LPFgreen", "LPFred", "LPFbrown"};

RoofLoop roof_loop(Isa isa) {
  switch (isa) {
    case Isa::Avx512: return roof_loop_avx512();
    case Isa::Avx2: return roof_loop_avx2();
    case Isa::Sse2: break;
  }
  return roof_loop_sse2();
}

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Flops per second of `threads` threads running the roof loop together: the best of
// two tries of about a tenth of a second. Taken right before and after each
// measurement, as other work on a shared machine comes and goes.
double peak_rate(int threads) {
  const RoofLoop loop = roof_loop(chosen_isa);
  constexpr long kRounds = 30'000'000;
  double best = 0;
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::vector<std::thread> others;
    const Clock::time_point start = Clock::now();
    for (int t = 1; t < threads; ++t) others.emplace_back([&] { benchmark::DoNotOptimize(loop.run(kRounds)); });
    benchmark::DoNotOptimize(loop.run(kRounds));
    for (std::thread& other : others) other.join();
    best = std::max(best, threads * kRounds * loop.flops_per_round / seconds_since(start));
  }
  return best;
}

// The roof of one and of `threads` threads around a measurement.
struct Roof {
  double one = 0;
  double all = 0;
};

Roof measure_roof(int threads, Roof earlier = {}) {
  const double one = peak_rate(1);
  return {std::max(earlier.one, one), std::max(earlier.all, threads == 1 ? one : peak_rate(threads))};
}

// The player's buffers with its tables, and an input of loud noise long enough for
// any mode's lead-in, full block and continuation.
struct Workbench {
  Workbench() {
    if (buffers.reserve().has_value()) std::abort();
    build_kernel_tables(buffers, kKernelHalfWidth);
    install_filter_tables(buffers);
    memory = memory_of(buffers);
    std::uint32_t seed = 1;
    const std::int64_t frames = (33'792 + kBlockBytes + 25'344) / 8;
    for (std::int64_t i = 0; i < 2 * frames; ++i) {
      seed = seed * 1664525u + 1013904223u;
      memory.input.data[i] = static_cast<float>(static_cast<std::int32_t>(seed)) * 0x1p-31f * 0.9f;
    }
  }
  SampleBuffers buffers;
  EngineMemory memory;
};

Workbench& workbench() {
  static Workbench instance;
  return instance;
}

// Flops of a full block: the chain's and the post filter's.
struct BlockFlops {
  double chain = 0;
  double filter = 0;
};

BlockFlops block_flops(SoundMode mode, int filter) {
  constexpr double kFlopsPerTap = 4;  // a multiply and an add, two channels
  const Block block{kBlockBytes, false};
  BlockFlops flops;
  const Chain& chain = *chain_of(mode);
  for (int s = 0; s < chain.stage_count; ++s) {
    const Stage& stage = chain.stages[s];
    const int step = stage.kind == StageKind::Decimate ? 16 : 8;
    const double positions = (std::int64_t{stage.length_multiple} * block.length + stage.end_extra) / step + 1;
    flops.chain += positions * kKernelTaps * kFlopsPerTap;
  }
  const int taps = filter == kPostFilterHamming2047 ? kLongFilterTaps
                   : filter == kPostFilterOff       ? 0
                                                    : kShortFilterTaps;
  flops.filter = (output_length(mode, block) / 8 + 1.0) * taps * kFlopsPerTap;
  return flops;
}

void full_block(benchmark::State& state, SoundMode mode, int filter, int threads) {
  Workbench& bench = workbench();
  PlaybackState playback;
  playback.processor_count = static_cast<std::int8_t>(threads);
  playback.worker_priority = 16;
  RangeTables ranges;
  WorkerPool pool;
  EngineContext context{bench.memory, playback, ranges, pool, chosen_isa};
  const Block block{kBlockBytes, false};
  Roof roof = measure_roof(threads);
  double seconds = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    process_block(context, mode, filter, block, threads);
    const double elapsed = seconds_since(start);
    state.SetIterationTime(elapsed);
    seconds += elapsed;
  }
  seconds /= static_cast<double>(state.iterations());
  roof = measure_roof(threads, roof);
  const BlockFlops flops = block_flops(mode, filter);
  const double filter_peak = filter == kPostFilterHamming2047 ? roof.all : roof.one;
  state.counters["Gflop/s"] = (flops.chain + flops.filter) / seconds / 1e9;
  state.counters["roof_ratio"] = seconds / ((flops.chain + flops.filter) / roof.all);
  state.counters["own_roof_ratio"] = seconds / (flops.chain / roof.all + flops.filter / filter_peak);
}

// One run of the quarter kernel over 65,536 outputs, one thread.
void products(benchmark::State& state, bool denormal) {
  constexpr std::int64_t kOutputs = 65'536;
  std::vector<float> source(2 * (kOutputs + kKernelTaps));
  std::uint32_t seed = 7;
  for (float& sample : source) {
    seed = seed * 1664525u + 1013904223u;
    sample = static_cast<float>(static_cast<std::int32_t>(seed)) * 0x1p-31f * (denormal ? 1e-39f : 0.9f);
  }
  std::vector<float> destination(2 * kOutputs);
  const TableSet tables;
  ProductRun run;
  run.source = source.data();
  run.destination = destination.data();
  run.count = kOutputs;
  run.table = tables.quarter.data();
  run.taps = kKernelTaps;
  const StopFlag go{0};
  const std::span<std::byte> scratch = workbench().memory.scratch.subspan(0, kScratchSlotBytes);
  Roof roof = measure_roof(1);
  double seconds = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    compute_products(chosen_isa, run, scratch, go);
    const double elapsed = seconds_since(start);
    state.SetIterationTime(elapsed);
    seconds += elapsed;
  }
  seconds /= static_cast<double>(state.iterations());
  roof = measure_roof(1, roof);
  const double flops = 4.0 * kOutputs * kKernelTaps;
  state.counters["Gflop/s"] = flops / seconds / 1e9;
  state.counters["roof_ratio"] = seconds / (flops / roof.one);
}

// Time from a stop request during White x 4's third stage to the chain's return.
void stop_latency(benchmark::State& state, int threads) {
  Workbench& bench = workbench();
  for (auto _ : state) {
    PlaybackState playback;
    playback.processor_count = static_cast<std::int8_t>(threads);
    RangeTables ranges;
    WorkerPool pool;
    EngineContext context{bench.memory, playback, ranges, pool, chosen_isa};
    Clock::time_point requested;
    std::thread stopper([&] {
      while (pool.jobs_started() < 3) std::this_thread::yield();
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      requested = Clock::now();
      playback.stop_request = 1;
    });
    run_chain(context, SoundMode::White4, Block{kBlockBytes, false}, threads);
    const Clock::time_point returned = Clock::now();
    stopper.join();
    state.SetIterationTime(std::chrono::duration<double>(returned - requested).count());
  }
}

void register_benchmarks() {
  for (SoundMode mode : kModes)
    for (int filter = 0; filter < 4; ++filter)
      for (int threads : {1, 2}) {
        std::string name = "FullBlock/";
        for (char ch : info_of(mode).label)
          if (ch != ' ' && ch != 'x') name += ch;
        name += std::string("/") + kFilterNames[filter] + "/T" + std::to_string(threads);
        benchmark::RegisterBenchmark(name.c_str(), full_block, mode, filter, threads)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
      }
  benchmark::RegisterBenchmark("Products/quarter/normal", products, false)->UseManualTime()->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("Products/quarter/denormal", products, true)->UseManualTime()->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("StopLatency/White4/T1", stop_latency, 1)
      ->Iterations(5)
      ->UseManualTime()
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("StopLatency/White4/T2", stop_latency, 2)
      ->Iterations(5)
      ->UseManualTime()
      ->Unit(benchmark::kMicrosecond);
}

}  // namespace
}  // namespace sonvale::bench

int main(int argc, char** argv) {
  using namespace sonvale;
  // Our own flag first; Google Benchmark takes the rest.
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!arg.starts_with("--isa=")) {
      argv[kept++] = argv[i];
      continue;
    }
    const auto isa = engine::parse_isa(arg.substr(6));
    if (!isa || !engine::isa_supported(*isa)) {
      std::fprintf(stderr, "engine_bench: cannot run %s here\n", argv[i]);
      return 2;
    }
    bench::chosen_isa = *isa;
  }
  argc = kept;
  benchmark::AddCustomContext("isa", std::string(engine::isa_name(bench::chosen_isa)));
  bench::register_benchmarks();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
