#include "platform/cpu.h"

#include <gtest/gtest.h>

namespace sonvale::platform {
namespace {

TEST(ProcessorCount, CountsTheSetBitsOfTheLowThirtyTwo) {
  EXPECT_EQ(processors_in_mask(0b1), 1);
  EXPECT_EQ(processors_in_mask(0b1011), 3);
  EXPECT_EQ(processors_in_mask(0xFFFF'FFFFull), 32);
  EXPECT_EQ(processors_in_mask(0x8000'0001ull), 2);
}

TEST(ProcessorCount, IgnoresBitsAboveThirtyOneAndNeverGivesZero) {
  EXPECT_EQ(processors_in_mask(0), 1);
  EXPECT_EQ(processors_in_mask(0xFFFF'FFFF'0000'0000ull), 1);
  EXPECT_EQ(processors_in_mask(0x1'0000'0003ull), 2);
}

TEST(ProcessorCount, ThisProcessHasAtLeastOne) {
  const int n = count_processors();
  EXPECT_GE(n, 1);
  EXPECT_LE(n, 32);
}

TEST(ProcessorFeatures, AnX86_64ProcessorHasSse2) { EXPECT_TRUE(cpu_has_sse2()); }

}  // namespace
}  // namespace sonvale::platform
