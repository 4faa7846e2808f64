// A whole analysis run: the files it writes, and where it must not write.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "analysis/analyze.h"

namespace sonvale::analysis {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class AnalysisRun : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("sonvale-analysis-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "outside");
    std::ofstream(root_ / "outside" / "keep.txt") << "untouched";
  }
  void TearDown() override { fs::remove_all(root_); }

  // Green x 1 at one rate, without timing: the cheapest full run.
  AnalysisRequest cheap_request(const fs::path& directory, bool plots) const {
    AnalysisRequest request;
    request.directory = directory.string();
    request.combinations = {{engine::SoundMode::Green1, engine::kPostFilterOff}};
    request.source_rates = {44'100};
    request.tone_step_hz = 10'000;
    request.plots = plots;
    request.threads = 1;
    return request;
  }

  int run(const AnalysisRequest& request) {
    progress_.str("");
    errors_.str("");
    return run_analysis(request, progress_, errors_);
  }

  fs::path root_;
  std::ostringstream progress_, errors_;
};

TEST_F(AnalysisRun, WritesTheDataTheSummaryAndThePlots) {
  const fs::path dir = root_ / "out";
  ASSERT_EQ(run(cheap_request(dir, true)), 0) << errors_.str();
  EXPECT_NE(progress_.str().find("[1/1] 44100 Hz, Green x 1, LPF blue"), std::string::npos) << progress_.str();
  for (const char* name : {"summary.csv", "summary.md", "summary.png", "plots.gp", "44100/green-x1-lpf-blue.png",
                           "44100/green-x1-lpf-blue-impulse.csv", "44100/green-x1-lpf-blue-magnitude.csv",
                           "44100/green-x1-lpf-blue-tones.csv", "44100/green-x1-lpf-blue-step.csv"})
    EXPECT_TRUE(fs::is_regular_file(dir / name)) << name;
  EXPECT_EQ(read_file(dir / "44100" / "green-x1-lpf-blue-impulse.f64").size(), sizeof(double));
  const std::string csv = read_file(dir / "summary.csv");
  EXPECT_NE(csv.find("\n44100,Green x 1,LPF blue,44100,0.0000,,0.00,"), std::string::npos) << csv;
}

TEST_F(AnalysisRun, ReplacesLinksInsteadOfWritingThroughThem) {
  const fs::path dir = root_ / "out";
  fs::create_directories(dir / "44100");
  fs::create_symlink(root_ / "outside" / "keep.txt", dir / "summary.csv");
  fs::create_symlink(root_ / "outside" / "keep.txt", dir / "44100" / "green-x1-lpf-blue-step.csv");
  ASSERT_EQ(run(cheap_request(dir, false)), 0) << errors_.str();
  EXPECT_EQ(read_file(root_ / "outside" / "keep.txt"), "untouched");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "summary.csv")));
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "44100" / "green-x1-lpf-blue-step.csv")));
}

TEST_F(AnalysisRun, RefusesARateFolderThatLeadsElsewhere) {
  const fs::path dir = root_ / "out";
  fs::create_directories(dir);
  fs::create_directory_symlink(root_ / "outside", dir / "44100");
  EXPECT_EQ(run(cheap_request(dir, false)), 1);
  EXPECT_NE(errors_.str().find("44100 is not a folder of its own"), std::string::npos) << errors_.str();
  EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "outside"), fs::directory_iterator()), 1);
}

TEST_F(AnalysisRun, RefusesAFolderItCannotWrite) {
  // Run as root, permissions would not stop it: a path through a file does.
  EXPECT_EQ(run(cheap_request(root_ / "outside" / "keep.txt" / "out", false)), 1);
  EXPECT_NE(errors_.str().find("sonvale: cannot make the folder"), std::string::npos) << errors_.str();
  EXPECT_EQ(run(cheap_request(root_ / "outside" / "keep.txt", false)), 1);
  EXPECT_NE(errors_.str().find("keep.txt is not a folder"), std::string::npos) << errors_.str();
  EXPECT_EQ(run(cheap_request(root_ / "missing" / "out", false)), 1);
  EXPECT_NE(errors_.str().find("No such file or directory"), std::string::npos) << errors_.str();
  EXPECT_FALSE(fs::exists(root_ / "missing"));
  EXPECT_EQ(progress_.str(), "");
}

TEST(Combinations, TheWindowOffersThirtyThree) {
  EXPECT_EQ(offered_combinations().size(), 33u);
  std::string error;
  EXPECT_EQ(combinations_for(engine::SoundMode::Brown4, std::nullopt, error)->size(), 4u);
  EXPECT_EQ(combinations_for(std::nullopt, engine::kPostFilterBlackman255, error)->size(), 8u);
  EXPECT_EQ(combinations_for(std::nullopt, engine::kPostFilterOff, error)->size(), 9u);
  EXPECT_FALSE(combinations_for(engine::SoundMode::Green1, engine::kPostFilterHamming255, error));
  EXPECT_NE(error.find("Green x 1"), std::string::npos);
  EXPECT_EQ(combination_slug({engine::SoundMode::White4, engine::kPostFilterHamming2047}), "white-x4-lpf-brown");
}

}  // namespace
}  // namespace sonvale::analysis
