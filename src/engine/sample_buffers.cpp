#include "engine/sample_buffers.h"

#include <cstring>

namespace sonvale::engine {

std::optional<Buffer> SampleBuffers::reserve(const Reserve& reserve) {
  for (const BufferSpec& spec : kReservationTable) {
    slots_[index(spec.id)] = reserve(spec.bytes);
    if (spec.fatal && !has(spec.id)) return spec.id;
  }
  return std::nullopt;
}

void SampleBuffers::zero(Buffer b) {
  if (has(b)) std::memset(bytes(b), 0, size(b));
}

void SampleBuffers::zero_sample_buffers() {
  for (Buffer b : {Buffer::Input, Buffer::Carry, Buffer::WorkA, Buffer::WorkB, Buffer::WorkC,
                   Buffer::Output1, Buffer::Output2, Buffer::Capture, Buffer::FilterTail})
    zero(b);
}

}  // namespace sonvale::engine
