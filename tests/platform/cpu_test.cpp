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

TEST(ProcessorFeatures, FamilyAndModelFoldInTheExtendedFields) {
  // Zen 5 (EPYC 9005): family 0xF + 0x0B, model 0x02.
  const CpuModel zen5 = cpu_model_from(true, 0x00B00F21);
  EXPECT_EQ(zen5.family, 26);
  EXPECT_EQ(zen5.model, 2);
  // Zen 4 (Ryzen 7000): family 0xF + 0x0A, model 0x61.
  const CpuModel zen4 = cpu_model_from(true, 0x00A60F12);
  EXPECT_EQ(zen4.family, 25);
  EXPECT_EQ(zen4.model, 0x61);
  // Intel family 6 takes the extended model only: Sapphire Rapids, model 0x8F.
  const CpuModel intel = cpu_model_from(false, 0x000806F8);
  EXPECT_EQ(intel.family, 6);
  EXPECT_EQ(intel.model, 0x8F);
  EXPECT_FALSE(intel.amd);
}

}  // namespace
}  // namespace sonvale::platform
