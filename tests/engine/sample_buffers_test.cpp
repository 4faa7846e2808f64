#include "engine/sample_buffers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace sonvale::engine {
namespace {

using platform::Reservation;

TEST(SampleBuffers, OutputBlocksOfTheFourTimesModesFitTheLargeBuffers) {
  for (Buffer b : {Buffer::WorkA, Buffer::WorkB, Buffer::WorkC, Buffer::Output1, Buffer::Output2})
    EXPECT_GE(entry_of(b).bytes, std::size_t{4} * kBlockBytes);
  EXPECT_GE(entry_of(Buffer::Input).bytes, std::size_t{kBlockBytes} + 2 * 33'792);
  EXPECT_GE(entry_of(Buffer::Capture).bytes, std::size_t{kBlockBytes});
  EXPECT_GE(entry_of(Buffer::QuarterKernel).bytes, 1025 * sizeof(double));
  EXPECT_GE(entry_of(Buffer::Hamming2047).bytes, 2047 * sizeof(double));
}

TEST(SampleBuffers, ReservesInTableOrderAndZeroFills) {
  std::vector<std::size_t> asked;
  SampleBuffers buffers;
  const auto failed = buffers.reserve([&](std::size_t bytes) {
    asked.push_back(bytes);
    return Reservation::reserve_zeroed(std::min<std::size_t>(bytes, 65536));
  });
  EXPECT_FALSE(failed.has_value());
  ASSERT_EQ(asked.size(), kReservationTable.size());
  for (std::size_t i = 0; i < asked.size(); ++i) EXPECT_EQ(asked[i], kReservationTable[i].bytes);
  const std::byte* input = buffers.bytes(Buffer::Input);
  EXPECT_TRUE(std::all_of(input, input + buffers.size(Buffer::Input),
                          [](std::byte b) { return b == std::byte{0}; }));
}

TEST(SampleBuffers, AMissingTableIsNotFatal) {
  SampleBuffers buffers;
  const auto failed = buffers.reserve([](std::size_t bytes) -> std::optional<Reservation> {
    if (bytes == 2'048) return std::nullopt;
    return Reservation::reserve_zeroed(4096);
  });
  EXPECT_FALSE(failed.has_value());
  EXPECT_FALSE(buffers.has(Buffer::Hamming255));
  EXPECT_EQ(buffers.table(Buffer::Blackman255), nullptr);
  EXPECT_TRUE(buffers.has(Buffer::Capture));
}

TEST(SampleBuffers, StopZeroesSampleBuffersAndKeepsTables) {
  SampleBuffers buffers;
  buffers.reserve([](std::size_t) { return Reservation::reserve_zeroed(4096); });
  buffers.samples(Buffer::Output1)[7] = 0.5f;
  buffers.samples(Buffer::FilterTail)[0] = 0.25f;
  buffers.table(Buffer::QuarterKernel)[100] = 0.9;
  buffers.zero_sample_buffers();
  EXPECT_EQ(buffers.samples(Buffer::Output1)[7], 0.0f);
  EXPECT_EQ(buffers.samples(Buffer::FilterTail)[0], 0.0f);
  EXPECT_EQ(buffers.table(Buffer::QuarterKernel)[100], 0.9);
}

}  // namespace
}  // namespace sonvale::engine
