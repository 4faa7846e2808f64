#pragma once

#include <functional>
#include <optional>
#include <string>

#include "engine/isa.h"
#include "engine/sample_buffers.h"
#include "shell/app.h"

namespace sonvale::shell {

inline constexpr const char* kInstanceTitle = "Sonvale-RunOneWindow";

struct StartupOptions {
  // The first command-line argument: handed to a running instance, else ignored.
  std::string argument;
  // Terminal playback: no instance check and no windows.
  bool terminal = false;
  std::string instance_title = kInstanceTitle;
  std::function<bool()> processor_has_sse2;
  // The instruction set forced for the sound kernels; otherwise the best one.
  std::optional<engine::Isa> isa;
  engine::SampleBuffers::Reserve reserve;
  // Once the main window shows: joins the desktop's services (media controls, the
  // sound server's cards). Nothing by default.
  std::function<void(App&)> join_desktop;
  // Where the launch counter's picture is fetched; empty: nowhere.
  std::string counter_address;
};

// Options for an ordinary start of this machine's program.
StartupOptions default_startup_options();

enum class StartupOutcome { Continue, Exit };

// The start-up steps up to the device choice: processor check, buffer reservation,
// the run's lists, the single-instance check and hand-off, the kernel and filter
// tables and the kernels' instruction set. Exit means the program has left through the exit path.
StartupOutcome start_up(App& app, const StartupOptions& options);

// A windowed run from start to end: start-up, device choice, main window, event
// loop, exit path. Returns the process's exit code.
int run_windowed(App& app, const StartupOptions& options);

// The single way out: releases what the run holds and gives the exit code, 0.
int take_exit_path(App& app);

}  // namespace sonvale::shell
