#include "platform/memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

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
