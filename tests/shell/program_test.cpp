#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/kernel_tables.h"
#include "support/run_process.h"

namespace sonvale::shell {
namespace {

using test::run_process;
using test::sonvale_binary;

// Nothing that could make Qt find a display.
const std::map<std::string, std::string> kNoDisplay{
    {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}};

TEST(Program, AnswersHelpAndVersion) {
  const auto version = run_process({sonvale_binary(), "--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out, "Sonvale 1.835\n");
  const auto help = run_process({sonvale_binary(), "--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("--play FILE"), std::string::npos);
}

TEST(Program, ListsTheOutputDevicesWithNullOutputAmongThem) {
  const auto result = run_process({sonvale_binary(), "--list-devices"}, kNoDisplay);
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.out.rfind("ASIO drivers:\n", 0), 0u) << result.out;
  EXPECT_NE(result.out.find("  Null output\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("\nWASAPI devices:\n"), std::string::npos) << result.out;
  EXPECT_EQ(result.err, "");
}

TEST(Program, RefusesAnUnknownFlagWithUsage) {
  const auto result = run_process({sonvale_binary(), "--loud"});
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_NE(result.err.find("unknown option --loud"), std::string::npos);
}

TEST(Program, WithoutADisplayItNamesThePlayFlag) {
  const auto result = run_process({sonvale_binary()}, kNoDisplay);
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find("display"), std::string::npos);
  EXPECT_NE(result.err.find("--play"), std::string::npos);
}

TEST(Program, PlayWithNothingPlayableSaysSoAndFails) {
  const auto result = run_process({sonvale_binary(), "--play", "no-such-file.wav"}, kNoDisplay);
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find("left out no-such-file.wav"), std::string::npos);
  EXPECT_NE(result.err.find("nothing to play"), std::string::npos);
}

TEST(Program, AnalyzeRefusesAFolderItCannotWriteAndAModeWithoutThatFilter) {
  const auto unwritable = run_process({sonvale_binary(), "--analyze", "/proc/version/analysis"});
  EXPECT_EQ(unwritable.exit_code, 1);
  EXPECT_EQ(unwritable.err.rfind("sonvale: cannot make the folder /proc/version/analysis: ", 0), 0u)
      << unwritable.err;
  EXPECT_EQ(unwritable.out, "");
  const auto unoffered = run_process({sonvale_binary(), "--analyze", "out", "--mode", "Green x 1", "--lpf", "2"});
  EXPECT_EQ(unoffered.exit_code, 2);
  EXPECT_NE(unoffered.err.find("Green x 1 plays without a post filter"), std::string::npos) << unoffered.err;
}

TEST(Program, DumpTablesWritesTheFiveTablesAsRawDoubles) {
  const auto directory = std::filesystem::temp_directory_path() / ("sonvale-tables-" + std::to_string(getpid()));
  std::filesystem::create_directories(directory);
  const auto result = run_process({sonvale_binary(), "--dump-tables", directory.string()}, kNoDisplay);
  EXPECT_EQ(result.exit_code, 0) << result.err;
  const engine::TableSet tables;
  const std::pair<const char*, const std::vector<double>*> expected[] = {
      {"quarter.f64", &tables.quarter},   {"half.f64", &tables.half},
      {"ham255.f64", &tables.hamming255}, {"bla255.f64", &tables.blackman255},
      {"ham2047.f64", &tables.hamming2047}};
  for (const auto& [name, table] : expected) {
    std::ifstream in(directory / name, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(bytes.size(), table->size() * sizeof(double)) << name;
    EXPECT_EQ(std::memcmp(bytes.data(), table->data(), bytes.size()), 0) << name;
  }
  std::filesystem::remove_all(directory);
  EXPECT_EQ(run_process({sonvale_binary(), "--dump-tables", "/nonexistent/sonvale"}).exit_code, 1);
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

TEST(Program, TooLittleAddressSpaceGivesOneCriticalErrorAndExitsCleanly) {
  // Sanitizer runtimes need far more address space than the player itself.
  if (kSanitized) GTEST_SKIP() << "the sanitizer's own reservations need the address space";
  const auto result = run_process(
      {"prlimit", "--as=400000000", sonvale_binary(), "--play", "x.wav"}, kNoDisplay);
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.err, "sonvale: [Critical Error] Failed allocate memory (Required 600 MB)\n");
}

}  // namespace
}  // namespace sonvale::shell
