#include "shell/terminal_io.h"

#include <atomic>
#include <csignal>
#include <cstdio>

#include "audiolib/bass.h"
#include "platform/cpu.h"
#include "platform/headless_bus.h"
#include "platform/interface_fonts.h"
#include "shell/main_window.h"

namespace sonvale::shell {
namespace {

std::atomic<bool> g_interrupted{false};
std::atomic<engine::PlaybackState*> g_playback{nullptr};
struct sigaction g_old_int {}, g_old_term {};

void on_interrupt(int) {
  g_interrupted.store(true);
  if (engine::PlaybackState* playback = g_playback.load()) playback->stop_request.store(1);
}

}  // namespace

bool start_headless_player(App& app, StartupOptions options) {
  options.terminal = true;
  if (start_up(app, options) == StartupOutcome::Exit) return false;
  audiolib::BASS_Init(0, 48000, 0, nullptr, nullptr);
  platform::create_interface_fonts(app.ui);
  build_main_window(app.ui);
  app.playback.processor_count = static_cast<std::int8_t>(platform::count_processors());
  return true;
}

void join_session_bus(App& app) {
  if (!platform::HeadlessBus::session_has_bus()) return;
  app.headless_bus = std::make_unique<platform::HeadlessBus>();
  app.card_reservation = platform::connect_card_reservation("Sonvale");
  app.player.card_reservation = app.card_reservation.get();
}

void answer_bus_requests(App& app) {
  if (app.headless_bus) app.headless_bus->answer_requests();
}

InterruptGuard::InterruptGuard(engine::PlaybackState& playback) {
  g_interrupted = false;
  g_playback = &playback;
  struct sigaction action {};
  action.sa_handler = on_interrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &g_old_int);
  sigaction(SIGTERM, &action, &g_old_term);
}

InterruptGuard::~InterruptGuard() {
  sigaction(SIGINT, &g_old_int, nullptr);
  sigaction(SIGTERM, &g_old_term, nullptr);
  g_playback = nullptr;
}

bool InterruptGuard::interrupted() { return g_interrupted.load(); }

void StatusLine::show(const std::string& text) {
  if (terminal_) {
    std::fprintf(stderr, "\r%s\033[K", text.c_str());
  } else if (text != last_) {
    std::fprintf(stderr, "%s\n", text.c_str());
  }
  last_ = text;
}

void StatusLine::end() {
  if (terminal_ && !last_.empty()) std::fputc('\n', stderr);
  last_.clear();
}

}  // namespace sonvale::shell
