#include "shell/command_line.h"

#include <gtest/gtest.h>

namespace sonvale::shell {
namespace {

CommandLine parse(std::initializer_list<const char*> args) {
  std::vector<const char*> argv{"sonvale"};
  argv.insert(argv.end(), args);
  return parse_command_line(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLine, WithoutFlagsOpensTheWindowWithTheFirstArgument) {
  EXPECT_EQ(parse({}).action, CommandLine::Action::Windowed);
  EXPECT_EQ(parse({}).argument, "");
  const CommandLine line = parse({"My Album/01 Song.flac", "second.flac"});
  EXPECT_EQ(line.action, CommandLine::Action::Windowed);
  EXPECT_EQ(line.argument, "My Album/01 Song.flac");
}

TEST(CommandLine, PlayTakesEveryFileInOrder) {
  const CommandLine line = parse({"--play", "a.flac", "b c.wav"});
  EXPECT_EQ(line.action, CommandLine::Action::Play);
  EXPECT_EQ(line.files, (std::vector<std::string>{"a.flac", "b c.wav"}));
  EXPECT_TRUE(line.argument.empty());
}

TEST(CommandLine, HelpAndVersionWinOverEverythingElse) {
  EXPECT_EQ(parse({"--help"}).action, CommandLine::Action::Help);
  EXPECT_EQ(parse({"-h"}).action, CommandLine::Action::Help);
  EXPECT_EQ(parse({"--play", "a.wav", "--version"}).action, CommandLine::Action::Version);
}

TEST(CommandLine, ListDevicesNeedsNoFiles) {
  EXPECT_EQ(parse({"--list-devices"}).action, CommandLine::Action::ListDevices);
  EXPECT_EQ(parse({"--play", "a.wav", "--list-devices"}).action,
            CommandLine::Action::ListDevices);
}

TEST(CommandLine, IsaForcesAnInstructionSetForTheWindowOrPlayback) {
  const CommandLine play = parse({"--isa=avx2", "--play", "a.flac"});
  EXPECT_EQ(play.action, CommandLine::Action::Play);
  EXPECT_EQ(play.isa, "avx2");
  EXPECT_EQ(play.files, std::vector<std::string>{"a.flac"});
  const CommandLine window = parse({"--isa=sse2"});
  EXPECT_EQ(window.action, CommandLine::Action::Windowed);
  EXPECT_EQ(window.isa, "sse2");
  EXPECT_EQ(parse({"--isa=avx3"}).action, CommandLine::Action::Invalid);
  EXPECT_EQ(parse({"--isa=", "--play", "a.wav"}).action, CommandLine::Action::Invalid);
}

TEST(CommandLine, DumpTablesNeedsAFolder) {
  const CommandLine line = parse({"--dump-tables", "out dir"});
  EXPECT_EQ(line.action, CommandLine::Action::DumpTables);
  EXPECT_EQ(line.directory, "out dir");
  EXPECT_EQ(parse({"--dump-tables"}).action, CommandLine::Action::Invalid);
}

TEST(CommandLine, AnalyzeTakesAFolderAndAnOptionalModeAndFilter) {
  const CommandLine all = parse({"--analyze", "out"});
  EXPECT_EQ(all.action, CommandLine::Action::Analyze);
  EXPECT_EQ(all.directory, "out");
  EXPECT_FALSE(all.mode);
  EXPECT_FALSE(all.post_filter);
  const CommandLine one = parse({"--analyze=out", "--mode", "Brown x 4", "--lpf", "3"});
  EXPECT_EQ(one.action, CommandLine::Action::Analyze);
  EXPECT_EQ(one.mode, engine::SoundMode::Brown4);
  EXPECT_EQ(one.post_filter, 3);
  EXPECT_EQ(parse({"--analyze", "out", "a.flac"}).action, CommandLine::Action::Invalid);
  EXPECT_EQ(parse({"--analyze"}).action, CommandLine::Action::Invalid);
}

TEST(CommandLine, RefusesWhatItDoesNotKnow) {
  EXPECT_EQ(parse({"--play"}).action, CommandLine::Action::Invalid);
  EXPECT_EQ(parse({"--frobnicate"}).action, CommandLine::Action::Invalid);
  EXPECT_NE(parse({"--frobnicate"}).error.find("--frobnicate"), std::string::npos);
  EXPECT_EQ(parse({"--play", "a.wav", "--loud"}).action, CommandLine::Action::Invalid);
}

TEST(CommandLine, LiveTakesAnInputAndOnlyWhatTheLiveEngineComputes) {
  const CommandLine line = parse({"--live", "--input", "hw:1,0,Mic", "--mode", "Green x 4", "--lpf", "2"});
  EXPECT_EQ(line.action, CommandLine::Action::Live);
  EXPECT_EQ(line.input, "hw:1,0,Mic");
  EXPECT_EQ(line.mode, engine::SoundMode::Green4);
  EXPECT_EQ(line.post_filter, 2);
  EXPECT_EQ(parse({"--live"}).action, CommandLine::Action::Live);
  EXPECT_TRUE(parse({"--live"}).input.empty());

  for (const char* mode : {"Brown x 2", "White x 2"})
    EXPECT_EQ(parse({"--live", "--mode", mode}).action, CommandLine::Action::Invalid) << mode;
  EXPECT_EQ(parse({"--live", "--lpf", "3"}).action, CommandLine::Action::Invalid);
  EXPECT_EQ(parse({"--live", "a.wav"}).action, CommandLine::Action::Invalid);
  EXPECT_EQ(parse({"--live", "--play", "a.wav"}).action, CommandLine::Action::Invalid);
  EXPECT_EQ(parse({"--play", "a.wav", "--input", "0"}).action, CommandLine::Action::Invalid);
}

}  // namespace
}  // namespace sonvale::shell
