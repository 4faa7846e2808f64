#include "shell/command_line.h"

#include <string_view>

#include "engine/isa.h"

namespace sonvale::shell {
namespace {

bool is_flag(std::string_view arg) { return arg.size() > 2 && arg.starts_with("--"); }

CommandLine invalid(std::string error) {
  CommandLine line;
  line.action = CommandLine::Action::Invalid;
  line.error = std::move(error);
  return line;
}

}  // namespace

CommandLine parse_command_line(int argc, const char* const* argv) {
  CommandLine line;
  if (argc < 2) return line;
  if (!is_flag(argv[1]) && std::string_view(argv[1]) != "-h") {
    line.argument = argv[1];
    return line;
  }

  bool play = false;
  bool dump = false;
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
    if (arg == "--list-devices") {
      line.action = CommandLine::Action::ListDevices;
      return line;
    }
    if (arg == "--play") {
      play = true;
    } else if (arg == "--dump-tables") {
      if (i + 1 >= argc) return invalid("--dump-tables needs a folder");
      dump = true;
      line.directory = argv[++i];
    } else if (arg.starts_with("--isa=")) {
      line.isa = arg.substr(6);
      if (!engine::parse_isa(line.isa)) return invalid("unknown instruction set " + line.isa);
    } else if (is_flag(arg)) {
      return invalid("unknown option " + std::string(arg));
    } else {
      line.files.emplace_back(arg);
    }
  }
  if (dump) {
    line.action = CommandLine::Action::DumpTables;
    return line;
  }
  if (!play && line.files.empty()) return line;  // the window, with a forced --isa
  if (!play) return invalid("files given without --play");
  if (line.files.empty()) return invalid("--play needs at least one file");
  line.action = CommandLine::Action::Play;
  return line;
}

std::string usage_text() {
  return "Usage: sonvale [FILE]\n"
         "       sonvale --play FILE...\n"
         "       sonvale --list-devices\n"
         "       sonvale --dump-tables DIR\n"
         "\n"
         "Without options Sonvale opens its window. A FILE given to a second start is\n"
         "handed to the player that is already running, which comes to the front.\n"
         "\n"
         "  --play FILE...      play the files in the terminal, without a window\n"
         "  --list-devices      list the output devices with their indices\n"
         "  --isa=SET           compute the sound with sse2, avx2 or avx512 instead of\n"
         "                      the best instruction set this processor has\n"
         "  --dump-tables DIR   write the five kernel and filter tables to DIR as raw\n"
         "                      little-endian doubles\n"
         "  --help              show this text\n"
         "  --version           show the version\n";
}

}  // namespace sonvale::shell
