#include "engine/sample_buffers.h"


namespace sonvale::engine {

std::optional<Buffer> SampleBuffers::reserve(const Reserve& reserve) {
  for (const BufferEntry& entry : kReservationTable) {
    slots_[index(entry.id)] = reserve(entry.bytes);
    if (entry.fatal && !has(entry.id)) return entry.id;
  }
  return std::nullopt;
}

void SampleBuffers::zero(Buffer b) {
  if (has(b)) platform::zero_fill(bytes(b), size(b));
}

void SampleBuffers::zero_sample_buffers() {
  for (Buffer b : {Buffer::Input, Buffer::Carry, Buffer::WorkA, Buffer::WorkB, Buffer::WorkC,
                   Buffer::Output1, Buffer::Output2, Buffer::Capture, Buffer::FilterTail})
    zero(b);
}

}  // namespace sonvale::engine
