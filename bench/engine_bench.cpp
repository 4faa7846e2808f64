// Speed of the sound engine's arithmetic beside the machine's roof, measured in the
// same run: one full block of every mode and post filter at 1 and 2 threads, the
// product kernels on normal and on denormal samples, and how soon a stop ends a
// stage.
//
//   engine_bench [--isa=sse2|avx2|avx512] [--tries=N] [google benchmark flags]
//
// --tries=N keeps the best of N runs of each block.
//
// Ratios are time ÷ (flops ÷ the true roof of the threads), where flops counts one
// multiply and one add per tap and channel, and the true roof is the best vector
// width's peak: loops of independent vector multiplies and adds, two of them written
// differently, on as many threads. The context at the top of the report gives every
// width's peaks.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double cpu_seconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// The vector widths this processor runs, narrowest first.
std::vector<RoofLoop> roof_loops() {
  std::vector<RoofLoop> loops{roof_loop_sse2()};
  if (isa_supported(Isa::Avx2)) loops.push_back(roof_loop_avx2());
  if (isa_supported(Isa::Avx512)) loops.push_back(roof_loop_avx512());
  return loops;
}

// Flops per second of `threads` threads each running `loop` at once, the best of
// three tries of a few hundredths of a second. Each thread times itself in its own
// processor time, so that other work taking turns on the same processors does not
// count against the roof.
double peak_rate(double (*loop)(long), double flops_per_round, int threads) {
  constexpr long kRounds = 4'000'000;
  double best = 0;
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::vector<double> seconds(threads);
    const auto timed = [&](int t) {
      const double start = cpu_seconds(CLOCK_THREAD_CPUTIME_ID);
      benchmark::DoNotOptimize(loop(kRounds));
      seconds[t] = cpu_seconds(CLOCK_THREAD_CPUTIME_ID) - start;
    };
    std::vector<std::thread> others;
    for (int t = 1; t < threads; ++t) others.emplace_back(timed, t);
    timed(0);
    for (std::thread& other : others) other.join();
    double rate = 0;
    for (double s : seconds) rate += kRounds * flops_per_round / s;
    best = std::max(best, rate);
  }
  return best;
}

// One width's peak at a thread count, by both loops.
struct WidthPeak {
  double chains = 0;
  double products = 0;
  double best() const { return std::max(chains, products); }
};

WidthPeak measure_width(const RoofLoop& loop, int threads) {
  return {peak_rate(loop.chains, loop.flops_per_round, threads),
          peak_rate(loop.products, loop.flops_per_round, threads)};
}

// The true roof by thread count: the best width's peak, the highest seen in the
// run. Every width is measured at the start; the best one again around every
// measurement, as other work on a shared machine comes and goes.
struct TrueRoof {
  RoofLoop best_width{};
  double peak[3] = {0, 0, 0};  // at 1 and 2 threads

  double refresh(int threads) {
    peak[threads] = std::max(peak[threads], measure_width(best_width, threads).best());
    return peak[threads];
  }
};

TrueRoof true_roof;

std::string gflops(double rate) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", rate / 1e9);
  return text;
}

// Per-width peaks into the report's context, and the best width chosen by them.
void measure_every_width() {
  for (const RoofLoop& loop : roof_loops())
    for (int threads : {1, 2}) {
      const WidthPeak peak = measure_width(loop, threads);
      char apart[32];
      std::snprintf(apart, sizeof apart, "%.1f", 100 * std::abs(peak.chains - peak.products) / peak.best());
      benchmark::AddCustomContext(std::string("roof ") + loop.width + " T" + std::to_string(threads),
                                  "chains " + gflops(peak.chains) + ", kernel-shaped " + gflops(peak.products) +
                                      " GFLOP/s (" + apart + " % apart)");
      if (peak.best() > true_roof.peak[threads]) {
        true_roof.peak[threads] = peak.best();
        if (threads == 1) true_roof.best_width = loop;
      }
    }
  benchmark::AddCustomContext("true roof", std::string(true_roof.best_width.width) + ": " +
                                               gflops(true_roof.peak[1]) + " GFLOP/s on one thread, " +
                                               gflops(true_roof.peak[2]) + " on two");
}

// Tries of each block: the best is kept (flag --tries=N).
int tries = 1;

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

// roof_ratio: the block's wall time against its flops at the true roof of its
// threads. cpu_ratio: the same with the processor time of all its threads divided
// by their number, which other work on a shared machine distorts much less (but
// which hides threads waiting for each other). own_roof_ratio charges LPF green
// and red, which run on one thread whatever the processor count, at one thread's
// roof.
void full_block(benchmark::State& state, SoundMode mode, int filter, int threads) {
  Workbench& bench = workbench();
  PlaybackState playback;
  playback.processor_count = static_cast<std::int8_t>(threads);
  playback.worker_priority = 16;
  RangeTables ranges;
  WorkerPool pool;
  EngineContext context{bench.memory, playback, ranges, pool, chosen_isa};
  const Block block{kBlockBytes, false};
  double wall = 1e300, cpu = 1e300;
  for (auto _ : state) {
    for (int attempt = 0; attempt < tries; ++attempt) {
      true_roof.refresh(1);
      true_roof.refresh(threads);
      const double cpu_start = cpu_seconds(CLOCK_PROCESS_CPUTIME_ID);
      const Clock::time_point start = Clock::now();
      process_block(context, mode, filter, block, threads);
      wall = std::min(wall, seconds_since(start));
      cpu = std::min(cpu, cpu_seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu_start);
    }
    state.SetIterationTime(wall);
  }
  const double one = true_roof.refresh(1);
  const double all = true_roof.refresh(threads);
  const BlockFlops flops = block_flops(mode, filter);
  const double at_roof = (flops.chain + flops.filter) / all;
  const double filter_peak = filter == kPostFilterHamming2047 ? all : one;
  state.counters["Gflop/s"] = (flops.chain + flops.filter) / wall / 1e9;
  state.counters["roof_ratio"] = wall / at_roof;
  state.counters["cpu_ratio"] = cpu / threads / at_roof;
  state.counters["own_roof_ratio"] = wall / (flops.chain / all + flops.filter / filter_peak);
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
  double seconds = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    compute_products(chosen_isa, run, scratch, go);
    const double elapsed = seconds_since(start);
    state.SetIterationTime(elapsed);
    seconds += elapsed;
  }
  seconds /= static_cast<double>(state.iterations());
  const double flops = 4.0 * kOutputs * kKernelTaps;
  state.counters["Gflop/s"] = flops / seconds / 1e9;
  state.counters["roof_ratio"] = seconds / (flops / true_roof.refresh(1));
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
    if (arg.starts_with("--tries=")) {
      bench::tries = std::max(1, std::atoi(argv[i] + 8));
      continue;
    }
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
  bench::measure_every_width();
  bench::register_benchmarks();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
