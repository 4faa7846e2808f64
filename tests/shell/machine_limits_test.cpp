// The player on a tight machine: just about the address space its buffers take, and
// a single processor. Whatever it cannot do it refuses with its message; it never
// crashes, hangs or plays something else.

#include <gtest/gtest.h>
#include <sched.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "engine/sample_buffers.h"
#include "engine/sound_mode.h"
#include "support/audio_fixtures.h"
#include "support/run_process.h"
#include "support/sanitized.h"

namespace sonvale::shell {
namespace {

using test::ProcessResult;
using test::kNoDisplay;
using test::kSanitized;
using test::run_process;
using test::sonvale_binary;

// Only decides "hung": a short render takes a second or two.
constexpr std::chrono::minutes kHung{3};
constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
constexpr const char* kMemoryMessage = "sonvale: [Critical Error] Failed allocate memory (Required 600 MB)\n";

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A run that ended by itself, with 0, or with 1 and a message saying why (after
// whatever progress it printed).
void expect_clean_end(const ProcessResult& r) {
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.signal, 0) << r.err;
  const bool said_why = r.err.rfind("sonvale: ", 0) == 0 || r.err.find("\nsonvale: ") != std::string::npos;
  EXPECT_TRUE(r.exit_code == 0 || (r.exit_code == 1 && said_why)) << "exit " << r.exit_code << ": " << r.err;
}

class MachineLimits : public ::testing::Test {
 protected:
  void SetUp() override {
    track_ = dir_.file("track.wav");
    test::write_wav(track_, test::reference_pcm(44100, 2, 16, 13'000));
  }

  ProcessResult render(const std::vector<std::string>& before, const std::string& out,
                       const std::vector<std::string>& options) {
    std::vector<std::string> argv = before;
    for (const std::string& a : {sonvale_binary(), std::string("--render"), out}) argv.push_back(a);
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back(track_);
    std::remove(out.c_str());
    return run_process(argv, kNoDisplay, kHung);
  }

  ProcessResult render_within(std::uint64_t address_space, const std::string& out) {
    return render({"prlimit", "--as=" + std::to_string(address_space)}, out, {"--mode", "Green x 1"});
  }

  test::TempDir dir_;
  std::string track_;
};

TEST_F(MachineLimits, AddressSpaceJustBelowTheBuffersGivesTheMemoryBoxAndJustAboveARender) {
  if (kSanitized) GTEST_SKIP() << "the sanitizer's own reservations need the address space";
  const std::string out = dir_.file("out.wav");
  const ProcessResult free_run = render({}, out, {"--mode", "Green x 1"});
  ASSERT_EQ(free_run.exit_code, 0) << free_run.err;
  const std::string whole = contents(out);

  // The least address space in which start-up gets every buffer, to the MiB.
  std::uint64_t refused = engine::fatal_bytes();
  std::uint64_t started = std::uint64_t{4} << 30;
  ASSERT_NE(render_within(started, out).err, kMemoryMessage);
  while (started - refused > kMiB) {
    const std::uint64_t middle = (refused + started) / 2;
    const ProcessResult r = render_within(middle, out);
    expect_clean_end(r);
    (r.err == kMemoryMessage ? refused : started) = middle;
  }
  std::printf("start-up needs %.1f MiB of address space, %.1f MiB beyond the fatal buffers\n",
              static_cast<double>(started) / kMiB, static_cast<double>(started - engine::fatal_bytes()) / kMiB);

  for (std::uint64_t below : {std::uint64_t{1}, std::uint64_t{16}, std::uint64_t{256}}) {
    SCOPED_TRACE(std::to_string(below) + " MiB below");
    const ProcessResult r = render_within(started - below * kMiB, out);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, kMemoryMessage);  // one box, then the exit path
  }
  // Above it the render either completes exactly or says what it could not do.
  bool rendered = false;
  for (std::uint64_t above : {0, 1, 2, 4, 8, 16, 32, 64, 128, 256, 512}) {
    SCOPED_TRACE(std::to_string(above) + " MiB above");
    const ProcessResult r = render_within(started + above * kMiB, out);
    expect_clean_end(r);
    EXPECT_NE(r.err, kMemoryMessage);
    if (r.exit_code == 0) {
      EXPECT_EQ(contents(out), whole);
      rendered = true;
    }
  }
  EXPECT_TRUE(rendered) << "no render within 512 MiB beyond the buffers";
}

// The first processor this process may run on.
int first_processor() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 0;
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
    if (CPU_ISSET(cpu, &set)) return cpu;
  return 0;
}

// Brown and White run stages side by side on every processor.
bool needs_two_processors(engine::SoundMode mode) {
  using engine::SoundMode;
  return mode == SoundMode::Brown2 || mode == SoundMode::White2 || mode == SoundMode::Brown4 ||
         mode == SoundMode::White4;
}

TEST_F(MachineLimits, OneProcessorRendersEveryModeItOffersAsTwoDoAndRefusesTheRest) {
  if (kSanitized) GTEST_SKIP() << "renders every mode twice: minutes under the sanitizers";
  const std::vector<std::string> one{"taskset", "-c", std::to_string(first_processor())};
  for (const engine::SoundModeInfo& info : engine::kSoundModes) {
    const bool green1 = info.mode == engine::SoundMode::Green1;
    for (int filter = 0; filter <= engine::kPostFilterHamming2047; ++filter) {
      // Green x 1 plays without a filter; one filter for each of the other modes but Red x 1.
      if (green1 ? filter > 0 : info.mode != engine::SoundMode::Red1 && filter != 1 && filter != 3) continue;
      const std::string label = std::string(info.label) + " LPF " + std::to_string(filter);
      SCOPED_TRACE(label);
      const std::vector<std::string> options{"--mode", std::string(info.label), "--lpf", std::to_string(filter)};
      const ProcessResult alone = render(one, dir_.file("one.wav"), options);
      expect_clean_end(alone);
      const bool offered = !needs_two_processors(info.mode) && filter != engine::kPostFilterHamming2047;
      if (!offered) {
        EXPECT_EQ(alone.exit_code, 1);
        EXPECT_NE(alone.err.find("need at least two processors"), std::string::npos) << alone.err;
        continue;
      }
      ASSERT_EQ(alone.exit_code, 0) << alone.err;
      const ProcessResult shared = render({}, dir_.file("all.wav"), options);
      ASSERT_EQ(shared.exit_code, 0) << shared.err;
      EXPECT_EQ(contents(dir_.file("one.wav")), contents(dir_.file("all.wav")));
    }
  }
}

}  // namespace
}  // namespace sonvale::shell
