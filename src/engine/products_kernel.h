#pragma once

// The vectorised products, written once for every instruction set. Only the
// per-instruction-set sources include this, each compiled with its own flags; all of
// it is a template on the vector type that source defines with internal linkage, so
// no code built for one instruction set can be linked in place of another's.
//
// The work is vectorised across output frames, never across taps, so every lane
// performs exactly the scalar sequence of a single frame: acc = acc + t[k] * y, k
// ascending, in double. A chunk of a run is widened once into scratch in a layout
// where lane q of entry e holds y[first + q * lane_length + e]: a vector of lanes is
// then one aligned load, and the loads for tap k + 1 are those for tap k moved by one
// entry, so the compiler keeps them in registers across the unrolled taps. Each
// register tile owns kAccumulators independent accumulators.
//
// Denormal floats widen to normal doubles, and no product or partial sum of
// float-range samples with these tables comes near the double denormal range, so
// the inner loop never meets a denormal and runs at full speed without flush-to-zero
// (which would change the results of finite inputs). Only the final rounding of an
// output can produce a denormal float, once per frame.

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>

#include "engine/products.h"

namespace sonvale::engine::products_detail {

// V provides: Reg; kFrames, the output frames per register; kTapStride, doubles per
// tap in the table it broadcasts from (more than one: the table is spread out in
// scratch first); kAccumulators and kUnroll (taps per loop
// turn), tuned to its register file; zero, load (aligned), broadcast, add, mul, and
// round_to_floats (2 * kFrames floats, left and right of each lane). Optionally
// widen_entries, a vector form of the widening copy, and kStoreGroup with
// store_group, a vector form of the final stores (see widen and store).
template <class V>
struct Products {
  using Reg = typename V::Reg;
  static constexpr int kFrames = V::kFrames;
  static constexpr int kEntryDoubles = 2 * kFrames;
  static constexpr std::size_t kEntryBytes = kEntryDoubles * sizeof(double);
  static constexpr int kAccumulators = V::kAccumulators;
  static constexpr int kUnroll = V::kUnroll;

  static bool run(const ProductRun& run, std::span<std::byte> scratch, const StopFlag& stop) {
    const int taps = run.taps;
    std::byte* free = scratch.data();
    std::size_t free_bytes = scratch.size();
    const double* table = run.table;
    if constexpr (V::kTapStride > 1) {
      const std::size_t bytes = round_up(std::size_t(taps) * V::kTapStride * sizeof(double));
      if (bytes > free_bytes) return compute_products_direct(run, stop);
      auto* spread = reinterpret_cast<double*>(free);
      for (int k = 0; k < taps; ++k)
        for (int j = 0; j < V::kTapStride; ++j) spread[k * V::kTapStride + j] = run.table[k];
      table = spread;
      free += bytes;
      free_bytes -= bytes;
    }
    // Entries per lane in one chunk, whole register tiles only.
    std::int64_t lane_capacity = std::int64_t(free_bytes / kEntryBytes) - (taps - 1);
    lane_capacity -= lane_capacity % kAccumulators;
    if (lane_capacity < kAccumulators) return compute_products_direct(run, stop);
    auto* widened = reinterpret_cast<double*>(free);

    for (std::int64_t first = 0; first < run.count;) {
      const std::int64_t wanted = (run.count - first + kFrames - 1) / kFrames;
      std::int64_t lane_length = round_up_to_tile(wanted);
      if (lane_length > lane_capacity) lane_length = lane_capacity;
      if (!widen(run, first, lane_length, widened, stop)) return false;
      for (std::int64_t e0 = 0; e0 < lane_length; e0 += kAccumulators) {
        if (stop.load(std::memory_order_relaxed) != 0) return false;
        Reg acc[kAccumulators];
        for (Reg& a : acc) a = V::zero();
        accumulate(acc, widened + e0 * kEntryDoubles, table, taps);
        store(acc, run, first + e0, lane_length);
      }
      first += lane_length * kFrames;
    }
    return true;
  }

 private:
  static std::size_t round_up(std::size_t bytes) {
    return (bytes + kScratchAlignment - 1) / kScratchAlignment * kScratchAlignment;
  }
  static std::int64_t round_up_to_tile(std::int64_t n) {
    return (n + kAccumulators - 1) / kAccumulators * kAccumulators;
  }

  // Lane q of entry e := y[first + q * lane_length + e], widened; zero past the
  // frames the run may read (they only feed outputs past its end). The entries that
  // every lane can read go through the variant's vector copy when it has one.
  static bool widen(const ProductRun& run, std::int64_t first, std::int64_t lane_length,
                    double* widened, const StopFlag& stop) {
    const std::int64_t entries = lane_length + run.taps - 1;
    const std::int64_t readable = run.count + run.taps - 1;
    const std::ptrdiff_t step = 2 * run.source_stride;
    std::int64_t real[kFrames];
    const float* lane[kFrames];
    std::int64_t common = entries;
    for (int q = 0; q < kFrames; ++q) {
      const std::int64_t base = first + q * lane_length;
      real[q] = readable - base;
      real[q] = real[q] < 0 ? 0 : (real[q] > entries ? entries : real[q]);
      lane[q] = real[q] > 0 ? run.source + base * step : run.source;
      if (real[q] < common) common = real[q];
    }
    std::int64_t done = 0;
    if constexpr (requires { V::widen_entries(lane, run.source_stride, common, widened); })
      done = V::widen_entries(lane, run.source_stride, common, widened);
    for (int q = 0; q < kFrames; ++q) {
      if (stop.load(std::memory_order_relaxed) != 0) return false;
      double* out = widened + 2 * q;
      std::int64_t e = done;
      for (; e < real[q]; ++e) {
        out[e * kEntryDoubles] = static_cast<double>(lane[q][e * step]);
        out[e * kEntryDoubles + 1] = static_cast<double>(lane[q][e * step + 1]);
      }
      for (; e < entries; ++e) {
        out[e * kEntryDoubles] = 0.0;
        out[e * kEntryDoubles + 1] = 0.0;
      }
    }
    return true;
  }

  [[gnu::always_inline]] static inline void tap(Reg (&acc)[kAccumulators], Reg t, const double* z) {
    [&]<int... v>(std::integer_sequence<int, v...>) __attribute__((always_inline)) {
      ((acc[v] = V::add(acc[v], V::mul(t, V::load(z + v * kEntryDoubles)))), ...);
    }(std::make_integer_sequence<int, kAccumulators>{});
  }

  static void accumulate(Reg (&acc)[kAccumulators], const double* z, const double* table, int taps) {
    int k = 0;
    for (; k + kUnroll <= taps; k += kUnroll) {
      const double* zk = z + k * kEntryDoubles;
      const double* tk = table + k * V::kTapStride;
      [&]<int... u>(std::integer_sequence<int, u...>) __attribute__((always_inline)) {
        (tap(acc, V::broadcast(tk + u * V::kTapStride), zk + u * kEntryDoubles), ...);
      }(std::make_integer_sequence<int, kUnroll>{});
    }
    for (; k < taps; ++k) tap(acc, V::broadcast(table + k * V::kTapStride), z + k * kEntryDoubles);
  }

  // Rounds each accumulator once to float and writes the lanes that are real outputs.
  // Accumulator v of lane q is output tile_first + q * lane_length + v, so a group
  // of accumulators is a run of consecutive outputs in every lane: the variant's
  // vector store takes whole groups where all of them are real.
  static void store(Reg (&acc)[kAccumulators], const ProductRun& run, std::int64_t tile_first,
                    std::int64_t lane_length) {
    int v = 0;
    if constexpr (requires { V::kStoreGroup; }) {
      const std::int64_t last_lane_first = tile_first + (kFrames - 1) * lane_length;
      for (; v + V::kStoreGroup <= kAccumulators && last_lane_first + v + V::kStoreGroup <= run.count;
           v += V::kStoreGroup) {
        float* lane[kFrames];
        for (int q = 0; q < kFrames; ++q)
          lane[q] = run.destination + (tile_first + q * lane_length + v) * 2 * run.destination_stride;
        V::store_group(acc + v, lane, run.destination_stride);
      }
    }
    for (; v < kAccumulators; ++v) {
      float rounded[2 * kFrames];
      V::round_to_floats(acc[v], rounded);
      for (int q = 0; q < kFrames; ++q) {
        const std::int64_t i = tile_first + q * lane_length + v;
        if (i >= run.count) continue;
        float* out = run.destination + i * 2 * run.destination_stride;
        out[0] = rounded[2 * q];
        out[1] = rounded[2 * q + 1];
      }
    }
  }
};

}  // namespace sonvale::engine::products_detail
