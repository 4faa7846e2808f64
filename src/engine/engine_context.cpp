#include "engine/engine_context.h"

#include "engine/products.h"

namespace sonvale::engine {
namespace {

static_assert(entry_of(Buffer::ProductScratch).bytes == kProductScratchBytes);
static_assert(kScratchSlots >= WorkerPool::kMaxThreads, "a slot for every thread of a stage");

FrameBuffer frames_of(const SampleBuffers& buffers, Buffer b) {
  return {buffers.samples(b), static_cast<std::int64_t>(buffers.size(b) / 8)};
}

}  // namespace

EngineMemory memory_of(const SampleBuffers& buffers) {
  EngineMemory memory;
  memory.input = frames_of(buffers, Buffer::Input);
  memory.carry = frames_of(buffers, Buffer::Carry);
  memory.work_a = frames_of(buffers, Buffer::WorkA);
  memory.work_b = frames_of(buffers, Buffer::WorkB);
  memory.work_c = frames_of(buffers, Buffer::WorkC);
  // Only its first 2,048 frames are the tail; the rest of the reservation is spare.
  memory.filter_tail = frames_of(buffers, Buffer::FilterTail);
  memory.scratch = {buffers.bytes(Buffer::ProductScratch), buffers.size(Buffer::ProductScratch)};
  memory.tables = tables_of(buffers);
  return memory;
}

}  // namespace sonvale::engine
