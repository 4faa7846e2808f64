#include "test_signals.h"

#include <random>

namespace sonvale::engine::test {

std::vector<Frame> noise(std::int64_t frames, unsigned seed) {
  std::mt19937 generator(seed);
  std::uniform_real_distribution<float> sample(-0.9f, 0.9f);
  std::vector<Frame> out(frames);
  for (Frame& f : out) f = {sample(generator), sample(generator)};
  return out;
}

std::uint64_t hash_bytes(const void* data, std::size_t bytes) {
  std::uint64_t h = 1469598103934665603ull;
  const auto* p = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < bytes; ++i) h = (h ^ p[i]) * 1099511628211ull;
  return h;
}

std::vector<Isa> supported_isas() {
  std::vector<Isa> isas;
  for (Isa isa : kIsas)
    if (isa_supported(isa)) isas.push_back(isa);
  return isas;
}

}  // namespace sonvale::engine::test
