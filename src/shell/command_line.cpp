#include "shell/command_line.h"

#include <string_view>

#include "engine/isa.h"
#include "engine/live_engine_thread.h"

namespace sonvale::shell {
namespace {

bool is_flag(std::string_view arg) { return arg.size() > 2 && arg.starts_with("--"); }

CommandLine invalid(std::string error) {
  CommandLine line;
  line.action = CommandLine::Action::Invalid;
  line.error = std::move(error);
  return line;
}

std::optional<engine::SoundMode> mode_named(std::string_view label) {
  for (const engine::SoundModeInfo& info : engine::kSoundModes)
    if (info.label == label) return info.mode;
  return std::nullopt;
}

// Checks one flag's value; an error text when it is not acceptable.
std::optional<std::string> take_value(CommandLine& line, std::string_view flag, const std::string& value) {
  if (flag == "--render") {
    line.render_path = value;
  } else if (flag == "--mode") {
    line.mode = mode_named(value);
    if (!line.mode) return "unknown Sound mode \"" + value + "\" (one of: Green x 1, Red x 1, Green x 2, ...)";
  } else if (flag == "--lpf") {
    if (value.size() != 1 || value[0] < '0' || value[0] > '3') return "--lpf takes 0, 1, 2 or 3";
    line.post_filter = value[0] - '0';
  } else if (flag == "--device") {
    line.device = value;
  } else if (flag == "--dump-tables" || flag == "--analyze") {
    line.directory = value;
  } else if (flag == "--input") {
    line.input = value;
  } else if (flag == "--isa") {
    line.isa = value;
    if (!engine::parse_isa(value)) return "unknown instruction set " + value;
  }
  return std::nullopt;
}

// What --live cannot take: files, or a mode or filter the input mode does not offer.
std::optional<std::string> live_error(const CommandLine& line, bool playing_files) {
  if (playing_files || !line.files.empty()) return "--live plays a recording input, not files";
  const auto computed = [](engine::SoundMode mode) {
    const engine::SoundModeInfo& info = engine::info_of(mode);
    return engine::live_sound_mode(info.multiplier, info.variant, info.variant) == mode;
  };
  if (line.mode && !computed(*line.mode))
    return "--live computes Green x 1, Red x 1, Green x 2, Green x 4 or Red x 4";
  if (line.post_filter.value_or(0) > 2) return "--live takes --lpf 0, 1 or 2";
  return std::nullopt;
}

bool takes_value(std::string_view flag) {
  for (std::string_view f : {"--render", "--mode", "--lpf", "--device", "--dump-tables", "--analyze", "--isa",
                             "--input"})
    if (flag == f) return true;
  return false;
}

}  // namespace

CommandLine parse_command_line(int argc, const char* const* argv) {
  CommandLine line;
  if (argc < 2) return line;
  if (!is_flag(argv[1]) && std::string_view(argv[1]) != "-h") {
    line.argument = argv[1];
    return line;
  }

  bool play = false, render = false, dump = false, list = false, analyze = false, live = false, input = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      line.action = CommandLine::Action::Help;
      return line;
    }
    if (arg == "--version") {
      line.action = CommandLine::Action::Version;
      return line;
    }
    if (!is_flag(arg)) {
      line.files.emplace_back(arg);
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string_view flag = arg.substr(0, equals);
    if (takes_value(flag)) {
      std::string value;
      if (equals != std::string_view::npos)
        value = arg.substr(equals + 1);
      else if (i + 1 < argc)
        value = argv[++i];
      else
        return invalid(std::string(flag) + " needs a value");
      if (auto error = take_value(line, flag, value)) return invalid(*error);
      render |= flag == "--render";
      dump |= flag == "--dump-tables";
      analyze |= flag == "--analyze";
      input |= flag == "--input";
    } else if (arg == "--play") {
      play = true;
    } else if (arg == "--list-devices") {
      list = true;
    } else if (arg == "--live") {
      live = true;
    } else {
      return invalid("unknown option " + std::string(arg));
    }
  }

  if (list) {
    line.action = CommandLine::Action::ListDevices;
  } else if (dump) {
    line.action = CommandLine::Action::DumpTables;
  } else if (analyze) {
    if (play || render || !line.files.empty()) return invalid("--analyze takes no files");
    line.action = CommandLine::Action::Analyze;
  } else if (live) {
    if (auto error = live_error(line, play || render)) return invalid(*error);
    line.action = CommandLine::Action::Live;
  } else if (input) {
    return invalid("--input goes with --live");
  } else if (play || render) {
    if (play && render) return invalid("--play and --render exclude each other");
    if (line.files.empty()) return invalid(std::string(play ? "--play" : "--render") + " needs at least one file");
    line.action = render ? CommandLine::Action::Render : CommandLine::Action::Play;
  } else if (!line.files.empty()) {
    return invalid("files given without --play or --render");
  }  // else: the window, with a forced --isa
  return line;
}

std::string usage_text() {
  return "Usage: sonvale [FILE]\n"
         "       sonvale --play FILE... [--mode MODE] [--lpf N] [--device DEVICE]\n"
         "       sonvale --render OUT.wav FILE... [--mode MODE] [--lpf N]\n"
         "       sonvale --live [--input DEVICE[,INPUT]] [--mode MODE] [--lpf N] [--device DEVICE]\n"
         "       sonvale --list-devices\n"
         "       sonvale --dump-tables DIR\n"
         "       sonvale --analyze DIR [--mode MODE] [--lpf N]\n"
         "\n"
         "Without options Sonvale opens its window. A FILE given to a second start is\n"
         "handed to the player that is already running, which comes to the front.\n"
         "\n"
         "  --play FILE...        play the files in the terminal, without a window\n"
         "  --render OUT.wav      render the files through the engine as fast as it goes,\n"
         "                        into a 32-bit float stereo WAV file at the output rate\n"
         "  --mode MODE           the Sound mode: \"Green x 1\", \"Red x 1\" (the default),\n"
         "                        \"Green x 2\", \"Brown x 2\", \"White x 2\", \"Green x 4\",\n"
         "                        \"Red x 4\", \"Brown x 4\" or \"White x 4\"\n"
         "  --lpf N               the post filter: 0 blue (off), 1 green (the default),\n"
         "                        2 red, 3 brown\n"
         "  --device DEVICE       the output device, by index or name (see --list-devices)\n"
         "  --live                play a recording input live through the Sound mode, in\n"
         "                        the terminal: the input level is calibrated first with\n"
         "                        the test tone; Ctrl-C stops (modes: Green x 1, Red x 1,\n"
         "                        Green x 2, Green x 4, Red x 4; LPF 0 to 2)\n"
         "  --input DEVICE[,INPUT] with --live: the recording device and input, by index or\n"
         "                        name (the Test loop, which records the test tone, when\n"
         "                        not given)\n"
         "  --list-devices        list the output and recording devices with their indices\n"
         "  --isa=SET             compute the sound with sse2, avx2 or avx512 instead of\n"
         "                        the best instruction set this processor has\n"
         "  --dump-tables DIR     write the five kernel and filter tables to DIR as raw\n"
         "                        little-endian doubles\n"
         "  --analyze DIR         measure what the Sound modes and post filters do to\n"
         "                        test signals (every combination the window offers,\n"
         "                        or those --mode and --lpf pick) and write the figures,\n"
         "                        data and plots to DIR\n"
         "  --help                show this text\n"
         "  --version             show the version\n";
}

}  // namespace sonvale::shell
