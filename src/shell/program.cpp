#include "shell/program.h"

#include <iostream>

#include "audiolib/device_listing.h"
#include "platform/ui_headless.h"
#include "platform/ui_qt.h"
#include "shell/command_line.h"
#include "shell/startup.h"
#include "shell/version.h"

namespace sonvale::shell {
namespace {

int run_terminal(const CommandLine&) {
  platform::HeadlessUi ui(&std::cerr);
  App app(ui);
  StartupOptions options = default_startup_options();
  options.terminal = true;
  if (start_up(app, options) == StartupOutcome::Exit) return take_exit_path(app);
  std::cerr << "sonvale: playback is not available yet in this build\n";
  take_exit_path(app);
  return 1;
}

int run_window(const CommandLine& line) {
  if (!platform::QtUi::display_available()) {
    std::cerr << "sonvale: no display found; the window needs one.\n"
                 "To play in the terminal instead: sonvale --play FILE...\n";
    return 1;
  }
  platform::QtUi ui;
  App app(ui);
  StartupOptions options = default_startup_options();
  options.argument = line.argument;
  return run_windowed(app, options);
}

}  // namespace

int run_program(int argc, const char* const* argv) {
  const CommandLine line = parse_command_line(argc, argv);
  switch (line.action) {
    case CommandLine::Action::Help:
      std::cout << usage_text();
      return 0;
    case CommandLine::Action::Version:
      std::cout << "Sonvale " << kVersion << "\n";
      return 0;
    case CommandLine::Action::Invalid:
      std::cerr << "sonvale: " << line.error << "\n" << usage_text();
      return 2;
    case CommandLine::Action::Play:
      return run_terminal(line);
    case CommandLine::Action::ListDevices:
      std::cout << audiolib::describe_output_devices();
      return 0;
    case CommandLine::Action::Windowed:
      return run_window(line);
  }
  return 2;
}

}  // namespace sonvale::shell
