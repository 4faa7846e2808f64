// Damaged and hostile files through --render, each in a process of its own: valid
// files made here and mutated by zzuf with fixed seeds, and hand-made oddities. Every
// one ends by itself with 0, or with 1 and the reason; nothing crashes or hangs, and
// no output is longer than what the file can decode to.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "support/audio_fixtures.h"
#include "support/run_process.h"
#include "support/sanitized.h"

namespace sonvale::shell {
namespace {

using test::Encoder;
using test::ProcessResult;
using test::kNoDisplay;
using test::kSanitized;
using test::run_process;
using test::sonvale_binary;

// Only decides "hung": one short file renders in a second or two.
constexpr std::chrono::minutes kHung{2};
// Half a second: the process start costs more than the decoding.
constexpr std::int64_t kFrames = 22050;
// Bit-flip ratios (zzuf -r): a few bits per file, and a few bytes in a hundred.
constexpr const char* kRatios[] = {"0.00005", "0.004"};
// Seeds per ratio; the sanitized builds take every fourth.
constexpr int kSeeds = 20;
constexpr int kSanitizedSeedStep = 4;

std::uintmax_t size_of(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

enum class Outcome { Rendered, Refused, Crashed, Hung, Unexplained, TooLong };

const char* name_of(Outcome o) {
  switch (o) {
    case Outcome::Rendered: return "rendered";
    case Outcome::Refused: return "refused with a reason";
    case Outcome::Crashed: return "CRASHED";
    case Outcome::Hung: return "HUNG";
    case Outcome::Unexplained: return "ENDED WITHOUT A REASON";
    case Outcome::TooLong: return "OUTPUT TOO LONG";
  }
  return "?";
}

class HostileFiles {
 public:
  // Renders `input` alone; the output may be no bigger than `longest` bytes.
  Outcome render(const std::string& input, std::uintmax_t longest) {
    const std::string out = dir_.file("out.wav");
    std::remove(out.c_str());
    const ProcessResult r =
        run_process({sonvale_binary(), "--render", out, "--mode", "Green x 1", input}, kNoDisplay, kHung);
    Outcome outcome = Outcome::Refused;
    if (r.timed_out) {
      outcome = Outcome::Hung;
    } else if (r.signal != 0 || (r.exit_code != 0 && r.exit_code != 1)) {
      outcome = Outcome::Crashed;
    } else if (r.exit_code == 1 && r.err.rfind("sonvale: ", 0) != 0 &&
               r.err.find("\nsonvale: ") == std::string::npos) {
      outcome = Outcome::Unexplained;
    } else if (size_of(out) > longest) {
      outcome = Outcome::TooLong;
    } else if (r.exit_code == 0) {
      outcome = Outcome::Rendered;
    }
    if (outcome != Outcome::Rendered && outcome != Outcome::Refused) {
      ADD_FAILURE() << input << ": " << name_of(outcome) << " (exit " << r.exit_code << ", signal " << r.signal
                    << ", output " << size_of(out) << " of at most " << longest << " bytes)\n"
                    << r.err;
    }
    ++tally_[outcome];
    return outcome;
  }

  // The unmutated file's own render: the yardstick for its mutations.
  std::uintmax_t reference_output(const std::string& input) {
    const std::string out = dir_.file("reference.wav");
    const ProcessResult r = run_process({sonvale_binary(), "--render", out, "--mode", "Green x 1", input}, kNoDisplay, kHung);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    return size_of(out);
  }

  void print_tally(const std::string& what) const {
    int total = 0;
    for (const auto& [outcome, count] : tally_) total += count;
    std::printf("%s: %d files:", what.c_str(), total);
    for (const auto& [outcome, count] : tally_) std::printf(" %d %s;", count, name_of(outcome));
    std::printf("\n");
  }

  const test::TempDir& dir() const { return dir_; }

 private:
  test::TempDir dir_;
  std::map<Outcome, int> tally_;
};

struct Format {
  const char* name;
  const char* extension;
  std::optional<Encoder> encoder;  // none: WAV as written
};

void PrintTo(const Format& format, std::ostream* os) { *os << format.name; }

std::string make_valid(const test::TempDir& dir, const Format& format) {
  const test::Pcm pcm = test::reference_pcm(44100, 2, 16, kFrames);
  const std::string name = std::string("valid.") + format.extension;
  if (!format.encoder) {
    test::write_wav(dir.file(name), pcm);
    return dir.file(name);
  }
  return test::make_fixture(dir, name, *format.encoder, pcm);
}

class MutatedFiles : public ::testing::TestWithParam<Format> {};

// Mutations may change a compressed frame's idea of its own length, never by much:
// a quarter more than the whole file is what "runaway" starts at.
TEST_P(MutatedFiles, EndCleanlyAndNoLongerThanTheFileAllows) {
  HostileFiles run;
  const std::string valid = make_valid(run.dir(), GetParam());
  const std::uintmax_t whole = run.reference_output(valid);
  ASSERT_GT(whole, 0u);
  const std::uintmax_t longest = whole + whole / 4;
  const int step = kSanitized ? kSanitizedSeedStep : 1;
  for (const char* ratio : kRatios) {
    for (int seed = 1; seed <= kSeeds; seed += step) {
      const std::string mutated =
          run.dir().file(std::string("seed") + std::to_string(seed) + "-r" + ratio + "." + GetParam().extension);
      const ProcessResult made = run_process(
          {"sh", "-c", "zzuf -s \"$0\" -r \"$1\" < \"$2\" > \"$3\"", std::to_string(seed), ratio, valid, mutated});
      ASSERT_EQ(made.exit_code, 0) << made.err;
      run.render(mutated, longest);
    }
  }
  run.print_tally(std::string(GetParam().name) + ", mutated by zzuf");
}

INSTANTIATE_TEST_SUITE_P(Formats, MutatedFiles,
                         ::testing::Values(Format{"Wav", "wav", std::nullopt}, Format{"Flac", "flac", Encoder::Flac},
                                           Format{"Mp3", "mp3", Encoder::Lame}, Format{"Ogg", "ogg", Encoder::Oggenc},
                                           Format{"WavPack", "wv", Encoder::WavPack},
                                           Format{"AacM4a", "m4a", Encoder::FfmpegAacM4a}),
                         [](const auto& info) { return std::string(info.param.name); });

void copy_prefix(const std::string& from, const std::string& to, std::uintmax_t bytes) {
  std::ifstream in(from, std::ios::binary);
  std::string data(bytes, '\0');
  in.read(data.data(), static_cast<std::streamsize>(bytes));
  data.resize(static_cast<std::size_t>(in.gcount()));
  std::ofstream(to, std::ios::binary) << data;
}

TEST(HandMadeFiles, TruncatedAtSeveralPointsRenderNoMoreThanTheWhole) {
  HostileFiles run;
  for (const Format& format : {Format{"Wav", "wav", std::nullopt}, Format{"Flac", "flac", Encoder::Flac},
                               Format{"Mp3", "mp3", Encoder::Lame}, Format{"Ogg", "ogg", Encoder::Oggenc}}) {
    const std::string valid = make_valid(run.dir(), format);
    const std::uintmax_t whole = run.reference_output(valid);
    const std::uintmax_t size = size_of(valid);
    for (std::uintmax_t keep : {std::uintmax_t{4}, std::uintmax_t{44}, size / 10, size / 2, size * 9 / 10, size - 1}) {
      const std::string cut = run.dir().file("cut" + std::to_string(keep) + "." + format.extension);
      copy_prefix(valid, cut, keep);
      run.render(cut, whole);
    }
  }
  run.print_tally("truncated");
}

void put_le32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

TEST(HandMadeFiles, OddFilesAndNamesEndCleanly) {
  HostileFiles run;
  const test::TempDir& dir = run.dir();
  const std::string wav = make_valid(dir, Format{"Wav", "wav", std::nullopt});
  const std::uintmax_t whole = run.reference_output(wav);

  // A header claiming 4 GiB over half a second of samples: only those are rendered.
  std::ifstream in(wav, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), {}};
  const std::size_t data = bytes.find("data");
  ASSERT_NE(data, std::string::npos);
  put_le32(bytes, 4, 0xffffffffu);
  put_le32(bytes, data + 4, 0xfffffff0u);
  std::ofstream(dir.file("huge.wav"), std::ios::binary) << bytes;
  run.render(dir.file("huge.wav"), whole);

  // An MP3 under a FLAC's name; an empty file; a single frame.
  const std::string mp3 = make_valid(dir, Format{"Mp3", "mp3", Encoder::Lame});
  std::filesystem::copy_file(mp3, dir.file("mp3.flac"));
  run.render(dir.file("mp3.flac"), whole + whole / 4);
  for (const char* empty : {"empty.wav", "empty.flac", "empty.mp3"}) {
    std::ofstream(dir.file(empty), std::ios::binary).flush();
    run.render(dir.file(empty), 0);
  }
  test::write_wav(dir.file("one.wav"), test::reference_pcm(44100, 2, 16, 1));
  EXPECT_EQ(run.render(dir.file("one.wav"), whole), Outcome::Rendered);
  test::make_fixture(dir, "one.flac", Encoder::Flac, test::reference_pcm(44100, 2, 16, 1));
  run.render(dir.file("one.flac"), whole);

  // Not files: a FIFO nobody writes to, a folder, a link to itself.
  ASSERT_EQ(mkfifo(dir.file("fifo.wav").c_str(), 0600), 0);
  run.render(dir.file("fifo.wav"), 0);
  std::filesystem::create_directory(dir.file("folder.wav"));
  run.render(dir.file("folder.wav"), 0);
  ASSERT_EQ(symlink("loop.wav", dir.file("loop.wav").c_str()), 0);
  run.render(dir.file("loop.wav"), 0);

  // Names a terminal or a text field would trip over play like any other.
  for (const char* odd : {"line\nfeed.wav", "bad\xff\xfe utf8.wav", "-dash.wav"}) {
    std::filesystem::copy_file(wav, dir.file(odd));
    EXPECT_EQ(run.render(dir.file(odd), whole), Outcome::Rendered) << odd;
  }
  run.print_tally("hand-made");
}

}  // namespace
}  // namespace sonvale::shell
