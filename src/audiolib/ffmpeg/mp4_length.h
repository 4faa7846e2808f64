#pragma once

#include <cstdint>
#include <string>

namespace sonvale::audiolib::ffmpeg {

// The exact frame count of an MP4 audio track whose edit list hides the encoder's
// priming. The edit list keeps its length in the movie's time scale, often
// milliseconds, which cannot say on which sample the track ends; the media's own
// length minus the priming can. Where the two differ by more than one tick, the
// edit list really cuts the track and is kept. `url` names the file as opened.
std::int64_t mp4_exact_frames(const std::string& url, int stream_index, std::int64_t edit_frames,
                              std::int64_t priming, int sample_rate);

}  // namespace sonvale::audiolib::ffmpeg
