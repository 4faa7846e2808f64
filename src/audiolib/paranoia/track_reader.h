#pragma once

#include <cstdint>
#include <memory>
#include <vector>

typedef struct _CdIo CdIo_t;

namespace sonvale::audiolib::paranoia {

// Samples in one sector of CD audio: 588 stereo frames of 16 bits.
inline constexpr int kSectorFrames = 588;
inline constexpr int kSectorSamples = 2 * kSectorFrames;

// Reads one track's sectors in order through libcdio-paranoia, from a disc opened
// with libcdio (which must outlive the reader). A sector that cannot be read ends
// the track there: nothing after it, and nothing made up in its place.
class TrackReader {
 public:
  enum class Care {
    Verify,  // overlapping reads compared, bounded retries: for real drives
    Plain,   // each sector read once, alone: for disc images, which read back alike
  };

  struct Handles;  // paranoia's handles, owned

  // Null when paranoia cannot take the disc or the track is none of its audio
  // tracks.
  static std::unique_ptr<TrackReader> open(CdIo_t* disc, int track, Care care);
  ~TrackReader();
  TrackReader(const TrackReader&) = delete;
  TrackReader& operator=(const TrackReader&) = delete;

  // The track's sectors as paranoia counts them.
  std::int32_t first_sector() const { return first_; }
  std::int32_t last_sector() const { return last_; }

  // The next sector's samples, interleaved, in host order; valid until the next
  // call. Null at the end of the track and from the first unreadable sector on.
  const std::int16_t* next_sector();
  // No sector left to give.
  bool at_end() const { return failed_ || next_ > last_; }

 private:
  explicit TrackReader(std::unique_ptr<Handles> handles);

  std::unique_ptr<Handles> handles_;
  Care care_ = Care::Plain;
  std::int32_t first_ = 0;
  std::int32_t last_ = -1;
  std::int32_t next_ = 0;
  bool failed_ = false;
};

struct Bounds {
  std::int32_t first = 0;
  std::int32_t last = -1;
};

// Every track's sectors as paranoia sees the disc, the first track first; empty
// when paranoia cannot take the disc.
std::vector<Bounds> track_bounds(CdIo_t* disc);

}  // namespace sonvale::audiolib::paranoia
