#include "engine/products.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/kernel_tables.h"
#include "test_signals.h"

namespace sonvale::engine {
namespace {

using test::noise;
using test::supported_isas;

constexpr std::uint32_t kSentinel = 0x7fc0dead;  // a NaN nobody computes

struct Shape {
  int taps;
  std::ptrdiff_t source_stride;
  std::ptrdiff_t destination_stride;
  std::int64_t count;
};

const Shape kShapes[] = {
    {1025, 1, 1, 1}, {1025, 1, 2, 37}, {1025, 2, 4, 1000}, {1025, 2, 1, 4099}, {1025, 2, 2, 2053},
    {255, 1, 1, 777}, {2047, 1, 1, 3333}, {7, 1, 1, 100},
};

std::vector<double> table_of(int taps) {
  const TableSet tables;
  if (taps == 1025) return tables.quarter;
  if (taps == 255) return tables.blackman255;
  if (taps == 2047) return tables.hamming2047;
  return {0.1, -0.25, 0.5, 1.0, 0.5, -0.25, 0.1};
}

// Source, table and a sentinel-filled destination for one shape.
struct Case {
  explicit Case(const Shape& shape, std::vector<Frame> frames = {})
      : table(table_of(shape.taps)),
        source(std::move(frames)),
        destination(2 * shape.count * shape.destination_stride, std::bit_cast<float>(kSentinel)) {
    const std::int64_t needed = (shape.count + shape.taps - 1) * shape.source_stride;
    if (source.empty()) source = noise(needed, 7);
    run.source = &source[0].left;
    run.source_stride = shape.source_stride;
    run.destination = destination.data();
    run.destination_stride = shape.destination_stride;
    run.count = shape.count;
    run.table = table.data();
    run.taps = shape.taps;
  }

  // The sums written out plainly: double, k ascending, one rounding.
  std::vector<float> expected() const {
    std::vector<float> out = destination;
    for (std::int64_t i = 0; i < run.count; ++i)
      for (int ch = 0; ch < 2; ++ch) {
        double sum = 0.0;
        for (int k = 0; k < run.taps; ++k)
          sum += table[k] * static_cast<double>(run.source[2 * (i + k) * run.source_stride + ch]);
        out[2 * i * run.destination_stride + ch] = static_cast<float>(sum);
      }
    return out;
  }

  std::vector<double> table;
  std::vector<Frame> source;
  std::vector<float> destination;
  ProductRun run;
};

struct Scratch {
  explicit Scratch(std::size_t bytes) : storage(bytes + kScratchAlignment) {}
  std::span<std::byte> slot(std::size_t bytes) {
    const auto address = reinterpret_cast<std::uintptr_t>(storage.data());
    return std::span(storage).subspan((kScratchAlignment - address % kScratchAlignment) % kScratchAlignment, bytes);
  }
  std::vector<std::byte> storage;
};

// Every instruction set this processor runs, and AVX-512 in both its tunings.
struct Variant {
  Isa isa;
  Avx512Tuning tuning;
  std::string name() const {
    return std::string(isa_name(isa)) +
           (isa != Isa::Avx512 ? "" : tuning == Avx512Tuning::FullWidth ? " full-width" : " split-units");
  }
  bool compute(const ProductRun& run, std::span<std::byte> scratch, const StopFlag& stop) const {
    return isa == Isa::Avx512 ? compute_products_avx512(run, scratch, stop, tuning)
                              : compute_products(isa, run, scratch, stop);
  }
};

std::vector<Variant> variants() {
  std::vector<Variant> all;
  for (Isa isa : supported_isas()) {
    all.push_back({isa, Avx512Tuning::SplitUnits});
    if (isa == Isa::Avx512) all.push_back({isa, Avx512Tuning::FullWidth});
  }
  return all;
}

bool same_bits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

TEST(Products, EveryVariantGivesThePlainSumsBitForBitWhateverItsScratch) {
  Scratch scratch(kScratchSlotBytes);
  const StopFlag go{0};
  // A full slot; slots small enough to need many chunks (160 KiB for AVX-512, 40 KiB
  // for the others, where AVX-512 falls back to the frame-by-frame form); none.
  for (std::size_t bytes : {kScratchSlotBytes, std::size_t{160 * 1024}, std::size_t{40 * 1024}, std::size_t{0}})
    for (const Variant& variant : variants())
      for (const Shape& shape : kShapes) {
        SCOPED_TRACE(testing::Message() << variant.name() << " scratch " << bytes << " taps " << shape.taps
                                        << " count " << shape.count << " strides " << shape.source_stride
                                        << "/" << shape.destination_stride);
        Case c(shape);
        const std::vector<float> expected = c.expected();
        EXPECT_TRUE(variant.compute(c.run, scratch.slot(bytes), go));
        EXPECT_TRUE(same_bits(c.destination, expected));  // gaps between strided outputs stay untouched
      }
}

TEST(Products, NonFiniteSamplesSpoilOnlyTheOutputsWhoseWindowsHoldThem) {
  Scratch scratch(kScratchSlotBytes);
  const StopFlag go{0};
  const Shape shape{1025, 1, 1, 3000};
  const Case clean(shape);
  std::vector<Frame> frames = clean.source;
  constexpr std::int64_t kNaN = 1500, kInf = 2600;
  frames[kNaN].left = std::numeric_limits<float>::quiet_NaN();
  frames[kInf].right = -std::numeric_limits<float>::infinity();
  for (const Variant& variant : variants()) {
    SCOPED_TRACE(variant.name());
    Case c(shape, frames);
    EXPECT_TRUE(variant.compute(c.run, scratch.slot(kScratchSlotBytes), go));
    const std::vector<float> expected = clean.expected();
    for (std::int64_t i = 0; i < shape.count; ++i) {
      const bool reads_nan = i <= kNaN && kNaN < i + shape.taps;
      const bool reads_inf = i <= kInf && kInf < i + shape.taps;
      const float left = c.destination[2 * i], right = c.destination[2 * i + 1];
      const auto bits = [](float f) { return std::bit_cast<std::uint32_t>(f); };
      if (reads_nan) {
        EXPECT_TRUE(std::isnan(left)) << i;
      } else {
        EXPECT_EQ(bits(left), bits(expected[2 * i])) << i;
      }
      if (reads_inf) {
        EXPECT_TRUE(std::isinf(right)) << i;
      } else {
        EXPECT_EQ(bits(right), bits(expected[2 * i + 1])) << i;
      }
    }
  }
}

TEST(Products, DenormalSamplesAreComputedExactlyNotFlushed) {
  Scratch scratch(kScratchSlotBytes);
  const StopFlag go{0};
  const Shape shape{255, 1, 1, 500};
  std::vector<Frame> frames = noise(shape.count + shape.taps, 3);
  for (Frame& f : frames) f = {f.left * 1e-38f, f.right * 1e-39f};  // below FLT_MIN
  for (const Variant& variant : variants()) {
    Case c(shape, frames);
    const std::vector<float> expected = c.expected();
    EXPECT_TRUE(variant.compute(c.run, scratch.slot(kScratchSlotBytes), go));
    EXPECT_TRUE(same_bits(c.destination, expected)) << variant.name();
    EXPECT_NE(c.destination[1], 0.0f);
    EXPECT_EQ(std::fpclassify(c.destination[1]), FP_SUBNORMAL);
  }
}

TEST(Products, AStopRequestedBeforehandWritesNothing) {
  Scratch scratch(kScratchSlotBytes);
  const StopFlag stop{1};
  for (std::size_t bytes : {kScratchSlotBytes, std::size_t{0}})
    for (const Variant& variant : variants()) {
      Case c(kShapes[3]);
      const std::vector<float> untouched = c.destination;
      EXPECT_FALSE(variant.compute(c.run, scratch.slot(bytes), stop));
      EXPECT_TRUE(same_bits(c.destination, untouched)) << variant.name();
    }
}

}  // namespace
}  // namespace sonvale::engine
