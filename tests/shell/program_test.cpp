#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/kernel_tables.h"
#include "shell/terminal_messages.h"
#include "support/audio_fixtures.h"
#include "support/disc_images.h"
#include "support/run_process.h"
#include "support/sanitized.h"

namespace sonvale::shell {
namespace {

using test::kNoDisplay;
using test::kSanitized;
using test::run_process;
using test::sonvale_binary;

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

// A folder of its own with a few short sound files, and the player run in it.
class Terminal : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_.file("here"));
    std::filesystem::create_directories(dir_.file("there"));
    test::write_wav(dir_.file("here/a.wav"), test::reference_pcm(44100, 2, 16, 4410));
    test::write_wav(dir_.file("there/b.wav"), test::reference_pcm(44100, 2, 16, 2205));
  }

  // Runs the player with the working folder "here".
  test::ProcessResult run(std::vector<std::string> args) {
    args.insert(args.begin(), {"env", "-C", dir_.file("here"), sonvale_binary()});
    return run_process(args, kNoDisplay);
  }

  std::string bytes_of(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  test::TempDir dir_;
};

TEST_F(Terminal, TypedRelativePathsArePlayedAsTheFilesTheyName) {
  const auto result = run({"--render", "out.wav", "--mode", "Green x 1", "./a.wav", "../there/b.wav"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.err.find("left out"), std::string::npos) << result.err;
  // Both files, whole: 44-byte headers in, 94 out, 4-byte frames in, 8 out.
  EXPECT_EQ(std::filesystem::file_size(dir_.file("here/out.wav")), 94u + 8u * (4410 + 2205));
}

TEST_F(Terminal, FilesLeftOutAreToldWhy) {
  std::filesystem::create_directory(dir_.file("here/folder.flac"));
  test::write_text(dir_.file("here/noise.mp3"), std::string(20000, '\x33'));
  test::write_text(dir_.file("here/notes.txt"), "words");
  test::write_wav(dir_.file("here/48k.wav"), test::reference_pcm(48000, 2, 16, 480));
  test::write_wav(dir_.file("here/1hz.wav"), test::reference_pcm(1, 2, 16, 10));
  const auto result = run({"--render", "out.wav", "--mode", "Green x 1", "noise.mp3", "missing.wav", "folder.flac",
                           "notes.txt", "1hz.wav", "a.wav", "48k.wav"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  for (const char* line : {"left out noise.mp3: not a playable MP3 file\n", "left out missing.wav: no such file\n",
                           "left out folder.flac: a folder", "left out notes.txt: not a kind of file Sonvale plays",
                           "left out 1hz.wav: its sample rate is not one a sound card plays",
                           "left out 48k.wav: it is at 48000 Hz, the files before it at 44100 Hz"})
    EXPECT_NE(result.err.find(line), std::string::npos) << line << "\n" << result.err;
  EXPECT_EQ(result.err.find("left out a.wav"), std::string::npos) << result.err;
}

TEST_F(Terminal, RenderingNeverOverwritesAnInputNorLeavesAnEmptyFile) {
  const std::string input = bytes_of(dir_.file("here/a.wav"));
  auto result = run({"--render", "a.wav", "../here/a.wav"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find("a.wav is one of the files to play"), std::string::npos) << result.err;
  EXPECT_EQ(bytes_of(dir_.file("here/a.wav")), input);

  result = run({"--render", "/nonexistent-dir/out.wav", "a.wav"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find("/nonexistent-dir/out.wav: cannot create: No such file or directory"), std::string::npos)
      << result.err;
  EXPECT_EQ(result.err.find("ASIO"), std::string::npos) << result.err;

  // A FLAC file whose header is whole and whose audio is gone: nothing plays.
  const std::string flac = test::make_fixture(dir_, "here/dead.flac", test::Encoder::Flac, test::reference_pcm());
  std::string dead = bytes_of(flac);
  std::fill(dead.begin() + static_cast<std::ptrdiff_t>(dead.find("\xFF\xF8")), dead.end(), '\0');
  test::write_text(flac, dead);
  for (const char* nothing : {"missing.wav", "dead.flac"}) {
    result = run({"--render", "out.wav", "--mode", "Green x 1", nothing});
    EXPECT_EQ(result.exit_code, 1) << nothing;
    EXPECT_FALSE(std::filesystem::exists(dir_.file("here/out.wav"))) << nothing;
  }
  EXPECT_NE(result.err.find("playback could not start: "), std::string::npos) << result.err;
}

TEST_F(Terminal, AModeThatCannotPlayTheRateNamesTheModesThatCan) {
  test::write_wav(dir_.file("here/384k.wav"), test::reference_pcm(384000, 2, 16, 3840));
  const auto result = run({"--render", "out.wav", "--mode", "Green x 2", "384k.wav"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find("Green x 2 would need 768000 Hz, above the 192000 Hz limit"), std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("play in \"Green x 1\" or \"Red x 1\""), std::string::npos) << result.err;
  EXPECT_FALSE(std::filesystem::exists(dir_.file("here/out.wav")));
}

TEST_F(Terminal, PlayingIntoTheNullOutputByDefaultIsSaidOnce) {
  const auto devices = run_process({sonvale_binary(), "--list-devices"}, kNoDisplay);
  if (devices.out.find("  0  Null output\n") == std::string::npos) GTEST_SKIP() << "this machine has a sound card";
  const auto result = run({"--play", "--mode", "Green x 1", "../there/b.wav"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  const std::string note = "no sound card found: playing into \"Null output\"";
  EXPECT_NE(result.err.find(note), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find(note), result.err.rfind(note));
  EXPECT_NE(result.err.find("--list-devices"), std::string::npos);
  // Asked for by name, it goes without a word.
  const auto chosen = run({"--play", "--device", "Null output", "--mode", "Green x 1", "../there/b.wav"});
  EXPECT_EQ(chosen.err.find(note), std::string::npos) << chosen.err;
}

TEST(TerminalMessages, AnErrorBoxSaysWhatItsCodeMeans) {
  EXPECT_EQ(message_note("ERROR", "2"),
            "a track could not be opened: the file cannot be opened: it is missing, unreadable or not a file");
  EXPECT_NE(message_note("ERROR", "44").find("cannot be decoded"), std::string::npos);
  EXPECT_EQ(message_note("ERROR", "2x"), "");
  EXPECT_EQ(message_note("ASIO didn't set 44100Hz or other error.", "2"), "");
}

TEST(Program, RendersADiscImageAndOneOfItsTracksExactlyAsTheDiscHoldsThem) {
  test::TempDir dir;
  const test::DiscImage image = test::make_cue_image(dir, "album", test::plain_layout({350, 121, 409}));
  const std::map<std::string, std::string> environment{
      {"DISPLAY", ""}, {"SONVALE_CDDB_SERVER", "off"}, {"XDG_CACHE_HOME", dir.path()}};
  const std::string out = dir.file("out.wav");
  auto render = [&](const std::string& what) {
    const auto result = run_process({sonvale_binary(), "--render", out, what, "--mode", "Green x 1"}, environment);
    EXPECT_EQ(result.exit_code, 0) << result.err;
    return test::read_float_wav(out);
  };
  EXPECT_EQ(render(image.sheet), image.disc_floats());
  EXPECT_EQ(render(image.sheet + "/Track02.cda"), image.track_floats(1));
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

TEST(Program, TooLittleAddressSpaceGivesOneCriticalErrorAndExitsCleanly) {
  // Sanitizer runtimes need far more address space than the player itself.
  if (kSanitized) GTEST_SKIP() << "the sanitizer's own reservations need the address space";
  const auto result = run_process(
      {"prlimit", "--as=400000000", sonvale_binary(), "--play", "x.wav"}, kNoDisplay);
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.err, "sonvale: [Critical Error] Failed allocate memory (Required 600 MB)\n");
}

// The whole live run without a card: the Test loop records the test tone, the
// calibration settles, the capture starts, and Ctrl-C while the first block is
// still being captured ends it cleanly.
TEST(Program, LiveCalibratesTheTestLoopAndStopsCleanlyAtCtrlC) {
  const std::string err_path = (std::filesystem::temp_directory_path() /
                                ("sonvale-live-" + std::to_string(getpid()) + ".txt")).string();
  const std::string script =
      "\"$0\" --live --mode 'Green x 2' --device 'Null output' 2>\"$1\" & pid=$!; "
      "until grep -q 'capturing the first block' \"$1\" || ! kill -0 $pid 2>/dev/null; do sleep 0.1; done; "
      "kill -INT $pid 2>/dev/null; wait $pid";
  const auto result = run_process({"sh", "-c", script, sonvale_binary(), err_path}, kNoDisplay);
  std::ifstream in(err_path);
  const std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove(err_path);
  EXPECT_EQ(result.exit_code, 0) << err;
  EXPECT_NE(err.find("input level 0."), std::string::npos) << err;
  EXPECT_NE(err.find("capturing the first block"), std::string::npos) << err;
  EXPECT_NE(err.find("sonvale: stopped\n"), std::string::npos) << err;

  const auto unknown = run_process({sonvale_binary(), "--live", "--input", "Test loop,Microphone"}, kNoDisplay);
  EXPECT_EQ(unknown.exit_code, 1);
  EXPECT_NE(unknown.err.find("no input Microphone on Test loop"), std::string::npos) << unknown.err;
  const auto nowhere = run_process({sonvale_binary(), "--live", "--input", "7"}, kNoDisplay);
  EXPECT_EQ(nowhere.exit_code, 1);
  EXPECT_NE(nowhere.err.find("no recording device 7"), std::string::npos) << nowhere.err;
}

}  // namespace
}  // namespace sonvale::shell
