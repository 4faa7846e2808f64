// Start-up carries on when one of the small tables cannot be reserved. Playback
// then offers what it can still compute exactly and refuses the rest: never a crash,
// never a different sound.

#include <gtest/gtest.h>

#include <cstring>

#include "engine/kernel_tables.h"
#include "platform/player_ids.h"
#include "playback_fixture.h"

namespace sonvale::output {
namespace {

using engine::Buffer;
using engine::SoundMode;
using test::PlaybackFixture;
namespace fx = sonvale::test;

struct Combination {
  SoundMode mode;
  int post_filter;
};

constexpr Combination kCombinations[] = {
    {SoundMode::Green1, 0}, {SoundMode::Red1, 0}, {SoundMode::Red1, 1}, {SoundMode::Red1, 2},
    {SoundMode::Red1, 3},   {SoundMode::Brown2, 1}, {SoundMode::White4, 3},
};

// Which combinations cannot be computed without the buffer.
bool needs(Buffer missing, Combination c) {
  switch (missing) {
    case Buffer::ProductScratch:
      return false;  // the products go frame by frame instead
    case Buffer::FilterTail:
      return c.mode != SoundMode::Green1 && c.post_filter == engine::kPostFilterHamming2047;
    default:
      return c.mode != SoundMode::Green1;
  }
}

// Every buffer at full size except `missing`, with the tables built as start-up does.
void reserve_without(engine::SampleBuffers& buffers, Buffer missing) {
  const auto failed = buffers.reserve([&, position = 0](std::size_t bytes) mutable -> std::optional<platform::Reservation> {
    if (engine::kReservationTable[static_cast<std::size_t>(position++)].id == missing) return std::nullopt;
    return platform::Reservation::reserve_zeroed(bytes);
  });
  ASSERT_FALSE(failed.has_value());
  engine::build_kernel_tables(buffers, engine::kKernelHalfWidth);
  engine::install_filter_tables(buffers);
}

std::vector<float> render(PlaybackFixture& f, const std::string& track, Combination c) {
  f.playlist.set_visible_page(1);
  f.playlist.clear_page();
  EXPECT_TRUE(f.add(track));
  f.select(c.mode, c.post_filter);
  return f.render(f.dir.file("out.wav"));
}

TEST(MissingTables, EachMissingTableRefusesWhatNeedsItAndLeavesTheRestBitIdentical) {
  fx::TempDir dir;
  const std::string track = dir.file("track.wav");
  fx::write_wav(track, fx::reference_pcm(44100, 2, 16, 9'001));

  std::vector<std::vector<float>> reference;
  {
    PlaybackFixture f;
    if (f.playback.processor_count.load() < 2) GTEST_SKIP() << "Brown x 2 and LPF brown need two processors";
    for (const Combination& c : kCombinations) {
      reference.push_back(render(f, track, c));
      ASSERT_FALSE(reference.back().empty());
    }
  }

  for (const engine::BufferEntry& entry : engine::kReservationTable) {
    if (entry.fatal) continue;
    SCOPED_TRACE(std::string(entry.name) + " missing");
    engine::SampleBuffers buffers;
    reserve_without(buffers, entry.id);
    PlaybackFixture f(buffers);
    for (std::size_t i = 0; i < std::size(kCombinations); ++i) {
      const Combination c = kCombinations[i];
      SCOPED_TRACE(std::string(engine::info_of(c.mode).label) + ", post filter " + std::to_string(c.post_filter));
      const std::vector<float> rendered = render(f, track, c);
      if (needs(entry.id, c)) {
        EXPECT_TRUE(rendered.empty());
        EXPECT_EQ(f.ui.gadget_text(ids::kRateDisplay), "Crush");
        EXPECT_TRUE(f.queue.empty());
      } else {
        ASSERT_EQ(rendered.size(), reference[i].size());
        EXPECT_EQ(std::memcmp(rendered.data(), reference[i].data(), rendered.size() * 4), 0);
      }
    }
  }
}

}  // namespace
}  // namespace sonvale::output
