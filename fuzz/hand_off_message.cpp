// The message a second start hands the running instance, from any bytes: they arrive
// on a real connection exactly as a hostile or broken sender would put them there.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/instance_handoff.h"

namespace {

// Both ends of a connection; what is written to the first is read from the second.
struct Connection {
  int ends[2] = {-1, -1};
  Connection() {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) std::abort();
  }
  ~Connection() {
    close(ends[0]);
    close(ends[1]);
  }
};

std::uint32_t u32(const std::uint8_t* at) {
  std::uint32_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sonvale::platform;
  // Well inside what a connection buffers, so the writer never waits for the reader.
  if (size > 64 * 1024) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  {
    Connection raw;
    if (size > 0 && write(raw.ends[0], data, size) != static_cast<ssize_t>(size)) std::abort();
    shutdown(raw.ends[0], SHUT_WR);
    const std::optional<CopyData> message = read_copy_data(raw.ends[1]);
    const bool whole = size >= 8 && u32(data + 4) <= kMaxCopyDataBytes && 8 + std::size_t{u32(data + 4)} <= size;
    if (message.has_value() != whole) std::abort();
    if (message && (message->dw_data != u32(data) || message->bytes.size() != message->cb_data ||
                    message->bytes != bytes.substr(8, message->cb_data)))
      std::abort();
  }

  Connection round_trip;
  const std::uint32_t dw_data = size >= 4 ? u32(data) : 1;
  if (!write_copy_data(round_trip.ends[0], dw_data, bytes)) std::abort();
  const std::optional<CopyData> back = read_copy_data(round_trip.ends[1]);
  if (!back || back->dw_data != dw_data || back->bytes != bytes) std::abort();
  return 0;
}
