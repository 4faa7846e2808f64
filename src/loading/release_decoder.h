#pragma once

#include <atomic>
#include <cstdint>

namespace sonvale::loading {

// Frees the current decoder and sets it to 0. A live stream is freed with up to ten
// tries 60 ms apart; a stale handle (already freed at stop) is freed once, without
// looking at the result.
void release_decoder(std::atomic<std::uint32_t>& current_decoder);

}  // namespace sonvale::loading
