#include "shell/startup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "engine/kernel_tables.h"
#include "platform/ui_headless.h"

namespace sonvale::shell {
namespace {

using engine::kReservationTable;
using platform::Reservation;

// Start-up options whose reservations are small and logged, and which fail at the
// given position of the reservation table.
struct Fixture {
  explicit Fixture(int fail_at = -1) : app(ui) {
    options = default_startup_options();
    options.terminal = true;
    options.reserve = [this, fail_at](std::size_t bytes) -> std::optional<Reservation> {
      const int position = static_cast<int>(asked.size());
      asked.push_back(bytes);
      if (position == fail_at) return std::nullopt;
      return Reservation::reserve_zeroed(4096);
    };
  }
  platform::HeadlessUi ui;
  App app;
  StartupOptions options;
  std::vector<std::size_t> asked;
};

TEST(Startup, AProcessorWithoutSse2GetsTheCpuErrorAndNothingIsReserved) {
  Fixture f;
  f.options.processor_has_sse2 = [] { return false; };
  EXPECT_EQ(start_up(f.app, f.options), StartupOutcome::Exit);
  EXPECT_TRUE(f.asked.empty());
  const auto boxes = f.ui.message_boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "CPU Error");
  EXPECT_EQ(boxes[0].text, "This software use SSE2.");
  EXPECT_EQ(boxes[0].flags, 0x1010u);
  EXPECT_EQ(take_exit_path(f.app), 0);
}

TEST(Startup, EachFatalReservationThatFailsStopsTheRestWithOneBox) {
  for (int position = 0; position < static_cast<int>(kReservationTable.size()); ++position) {
    if (!kReservationTable[position].fatal) continue;
    SCOPED_TRACE(kReservationTable[position].name);
    Fixture f(position);
    EXPECT_EQ(start_up(f.app, f.options), StartupOutcome::Exit);
    EXPECT_EQ(f.asked.size(), static_cast<std::size_t>(position + 1));
    const auto boxes = f.ui.message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Critical Error");
    EXPECT_EQ(boxes[0].text, "Failed allocate memory (Required 600 MB)");
    EXPECT_EQ(boxes[0].flags, 0x10u);
    EXPECT_EQ(take_exit_path(f.app), 0);
  }
}

TEST(Startup, AMissingTableBufferDoesNotStopTheStart) {
  for (int position = 0; position < static_cast<int>(kReservationTable.size()); ++position) {
    if (kReservationTable[position].fatal) continue;
    Fixture f(position);
    EXPECT_EQ(start_up(f.app, f.options), StartupOutcome::Continue);
    EXPECT_EQ(f.asked.size(), kReservationTable.size());
    EXPECT_TRUE(f.ui.message_boxes().empty());
  }
}

TEST(Startup, ReservesEveryBufferInOrderAndSetsTheLowestWorkerPriority) {
  Fixture f;
  f.app.playback.worker_priority = 16;
  EXPECT_EQ(start_up(f.app, f.options), StartupOutcome::Continue);
  ASSERT_EQ(f.asked.size(), kReservationTable.size());
  for (std::size_t i = 0; i < f.asked.size(); ++i) EXPECT_EQ(f.asked[i], kReservationTable[i].bytes);
  EXPECT_EQ(f.app.playback.worker_priority, 1);
  EXPECT_FALSE(f.app.instance_window.is_open());  // terminal runs skip the instance check
}

TEST(Startup, BuildsTheTablesAndKeepsAForcedInstructionSet) {
  Fixture f;
  f.options.reserve = [](std::size_t bytes) { return Reservation::reserve_zeroed(bytes <= 16'384 ? bytes : 4096); };
  f.options.isa = engine::Isa::Sse2;
  EXPECT_EQ(start_up(f.app, f.options), StartupOutcome::Continue);
  EXPECT_TRUE(engine::tables_of(f.app.buffers).complete());
  EXPECT_EQ(engine::active_isa(), engine::Isa::Sse2);
}

TEST(Startup, AWindowedFirstStartOpensTheInstanceWindow) {
  Fixture f;
  f.options.terminal = false;
  f.options.instance_title = "SonvaleTest-first-" + std::to_string(getpid());
  f.options.argument = "ignored.flac";
  EXPECT_EQ(start_up(f.app, f.options), StartupOutcome::Continue);
  EXPECT_TRUE(f.app.instance_window.is_open());
  EXPECT_TRUE(platform::find_instance_window(f.options.instance_title));
  take_exit_path(f.app);
  EXPECT_FALSE(platform::find_instance_window(f.options.instance_title));
}

}  // namespace
}  // namespace sonvale::shell
