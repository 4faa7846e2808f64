#include "shell/program.h"

#include <iostream>

#include "analysis/analyze.h"
#include "audiolib/device_listing.h"
#include "engine/isa.h"
#include "platform/card_reservation.h"
#include "platform/media_control.h"
#include "platform/ui_headless.h"
#include "platform/ui_qt.h"
#include "shell/command_line.h"
#include "shell/live_terminal.h"
#include "shell/startup.h"
#include "shell/table_dump.h"
#include "shell/terminal_player.h"
#include "shell/version.h"

namespace sonvale::shell {
namespace {

// Source frames timed per combination for the engine's cost: one block, as the
// player computes it.
constexpr std::int64_t kAnalysisCostFrames = engine::kBlockFrames;

// Start-up options with the instruction set the command line forces, if any.
StartupOptions options_for(const CommandLine& line) {
  StartupOptions options = default_startup_options();
  options.isa = engine::parse_isa(line.isa);
  return options;
}

int run_terminal(const CommandLine& line) {
  TerminalRequest request;
  request.files = line.files;
  if (line.action == CommandLine::Action::Render) request.render_path = line.render_path;
  request.mode = line.mode.value_or(engine::SoundMode::Red1);
  request.post_filter = line.post_filter.value_or(1);
  request.device = line.device;
  return run_terminal_player(request, options_for(line));
}

int run_live(const CommandLine& line) {
  LiveRequest request;
  request.input = line.input;
  request.mode = line.mode.value_or(engine::SoundMode::Red1);
  request.post_filter = line.post_filter.value_or(1);
  request.device = line.device;
  return run_live_terminal(request, options_for(line));
}

// Media keys and the desktop's player widgets reach the player, and cards that the
// sound server holds are borrowed, through the session bus when there is one.
void join_desktop(App& app) {
  app.media = platform::connect_media_control(app.ui, "Sonvale", kDesktopEntry);
  app.card_reservation = platform::connect_card_reservation("Sonvale");
  app.player.card_reservation = app.card_reservation.get();
}

int run_window(const CommandLine& line) {
  if (!platform::QtUi::display_available()) {
    std::cerr << "sonvale: no display found; the window needs one.\n"
                 "To play in the terminal instead: sonvale --play FILE...\n";
    return 1;
  }
  platform::QtUi ui;
  ui.set_desktop_entry(kDesktopEntry);
  App app(ui);
  StartupOptions options = options_for(line);
  options.argument = line.argument;
  options.join_desktop = &join_desktop;
  return run_windowed(app, options);
}

int run_dump_tables(const CommandLine& line) {
  std::string error;
  if (dump_tables(line.directory, error)) return 0;
  std::cerr << "sonvale: " << error << "\n";
  return 1;
}

int run_analyze(const CommandLine& line) {
  analysis::AnalysisRequest request;
  request.directory = line.directory;
  std::string error;
  const auto combinations = analysis::combinations_for(line.mode, line.post_filter, error);
  if (!combinations) {
    std::cerr << "sonvale: " << error << "\n";
    return 2;
  }
  request.combinations = *combinations;
  request.cost_frames = kAnalysisCostFrames;
  if (const auto isa = engine::parse_isa(line.isa)) engine::force_isa(*isa);
  return analysis::run_analysis(request, std::cout, std::cerr);
}

}  // namespace

int run_program(int argc, const char* const* argv) {
  const CommandLine line = parse_command_line(argc, argv);
  if (const auto isa = engine::parse_isa(line.isa); isa && !engine::isa_supported(*isa)) {
    std::cerr << "sonvale: this processor cannot run " << line.isa << "\n";
    return 2;
  }
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
    case CommandLine::Action::Render:
      return run_terminal(line);
    case CommandLine::Action::Live:
      return run_live(line);
    case CommandLine::Action::ListDevices:
      std::cout << audiolib::describe_output_devices() << audiolib::describe_recording_devices();
      return 0;
    case CommandLine::Action::DumpTables:
      return run_dump_tables(line);
    case CommandLine::Action::Analyze:
      return run_analyze(line);
    case CommandLine::Action::Windowed:
      return run_window(line);
  }
  return 2;
}

}  // namespace sonvale::shell
