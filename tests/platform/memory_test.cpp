#include "platform/memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace sonvale::platform {
namespace {

TEST(Reservation, GivesZeroFilledPageAlignedMemory) {
  auto block = Reservation::reserve_zeroed(3 << 20);
  ASSERT_TRUE(block.has_value());
  EXPECT_EQ(block->size(), std::size_t{3} << 20);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block->data()) % 4096, 0u);
  EXPECT_TRUE(std::all_of(block->data(), block->data() + block->size(),
                          [](std::byte b) { return b == std::byte{0}; }));
}

// Large blocks are committed in pieces on several threads: every page of them,
// the last partial one included, is resident and zero, and the block starts on a
// huge-page boundary.
TEST(Reservation, CommitsEveryPageOfALargeBlock) {
  const std::size_t bytes = (std::size_t{40} << 20) + 4096 * 3 + 100;
  auto block = Reservation::reserve_zeroed(bytes);
  ASSERT_TRUE(block.has_value());
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block->data()) % (std::size_t{2} << 20), 0u);
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  std::vector<unsigned char> resident((bytes + page - 1) / page);
  ASSERT_EQ(mincore(block->data(), bytes, resident.data()), 0);
  EXPECT_TRUE(std::all_of(resident.begin(), resident.end(), [](unsigned char r) { return (r & 1) != 0; }));
  EXPECT_TRUE(std::all_of(block->data(), block->data() + bytes, [](std::byte b) { return b == std::byte{0}; }));
  std::fill(block->data(), block->data() + bytes, std::byte{0x5A});
  zero_fill(block->data(), bytes);
  EXPECT_TRUE(std::all_of(block->data(), block->data() + bytes, [](std::byte b) { return b == std::byte{0}; }));
}

TEST(Reservation, ReportsWhatCannotBeHad) {
  EXPECT_FALSE(Reservation::reserve_zeroed(0).has_value());
  // Far beyond any machine's memory and address space.
  EXPECT_FALSE(Reservation::reserve_zeroed(std::size_t{1} << 60).has_value());
}

TEST(Reservation, MovesOwnership) {
  auto block = Reservation::reserve_zeroed(4096);
  ASSERT_TRUE(block.has_value());
  std::byte* data = block->data();
  Reservation moved = std::move(*block);
  EXPECT_EQ(moved.data(), data);
  EXPECT_EQ(block->data(), nullptr);
  EXPECT_EQ(block->size(), 0u);
}

}  // namespace
}  // namespace sonvale::platform
