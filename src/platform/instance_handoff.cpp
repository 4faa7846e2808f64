#include "platform/instance_handoff.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/unique_fd.h"

namespace sonvale::platform {
namespace {

constexpr int kIoTimeoutMs = 2000;

// An abstract-namespace address: no file to leave behind, and per user.
socklen_t make_address(std::string_view title, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  const std::string name = std::string(title) + "." + std::to_string(getuid());
  const std::size_t n = std::min(name.size(), sizeof address.sun_path - 1);
  std::memcpy(address.sun_path + 1, name.data(), n);
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
}

// False on time-out, and as soon as `wake` (when given) becomes readable.
bool wait_ready(int fd, short events, int timeout_ms, int wake = -1) {
  pollfd p[2] = {{fd, events, 0}, {wake, POLLIN, 0}};
  int r;
  do r = poll(p, wake >= 0 ? 2 : 1, timeout_ms); while (r < 0 && errno == EINTR);
  return r > 0 && p[1].revents == 0 && (p[0].revents & events);
}

bool read_exact(int fd, void* buffer, std::size_t n, int wake = -1) {
  auto* out = static_cast<char*>(buffer);
  while (n > 0) {
    if (!wait_ready(fd, POLLIN, kIoTimeoutMs, wake)) return false;
    const ssize_t got = recv(fd, out, n, 0);
    if (got <= 0) return false;
    out += got;
    n -= static_cast<std::size_t>(got);
  }
  return true;
}

bool write_exact(int fd, const void* buffer, std::size_t n, int wake = -1) {
  const auto* in = static_cast<const char*>(buffer);
  while (n > 0) {
    if (!wait_ready(fd, POLLOUT, kIoTimeoutMs, wake)) return false;
    const ssize_t put = send(fd, in, n, MSG_NOSIGNAL);
    if (put <= 0) return false;
    in += put;
    n -= static_cast<std::size_t>(put);
  }
  return true;
}

UniqueFd connect_to(std::string_view title) {
  UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (fd.get() < 0) return fd;
  sockaddr_un address;
  const socklen_t length = make_address(title, address);
  if (connect(fd.get(), reinterpret_cast<sockaddr*>(&address), length) != 0) fd.reset();
  return fd;
}

}  // namespace

// Fields travel in the machine's own byte order: both ends are this program on this machine.
std::optional<CopyData> read_copy_data(int fd, int wake) {
  std::uint32_t header[2];
  if (!read_exact(fd, header, sizeof header, wake)) return std::nullopt;
  CopyData message{header[0], header[1], {}};
  if (message.cb_data > kMaxCopyDataBytes) return std::nullopt;
  message.bytes.resize(message.cb_data);
  if (message.cb_data > 0 && !read_exact(fd, message.bytes.data(), message.cb_data, wake)) return std::nullopt;
  return message;
}

bool write_copy_data(int fd, std::uint32_t dw_data, std::string_view bytes) {
  if (bytes.size() > kMaxCopyDataBytes) return false;
  const std::uint32_t header[2] = {dw_data, static_cast<std::uint32_t>(bytes.size())};
  return write_exact(fd, header, sizeof header) && (bytes.empty() || write_exact(fd, bytes.data(), bytes.size()));
}

struct InstanceWindow::State : std::enable_shared_from_this<InstanceWindow::State> {
  Ui* ui = nullptr;
  std::chrono::milliseconds answer_wait{0};
  UniqueFd listener;
  UniqueFd wake;  // eventfd that tells the listening thread to end
  std::thread thread;
  Receiver receiver;  // touched on the user-interface thread only
  // Set by close() on the user-interface thread, read by the listening thread; the
  // receiver's answers travel under the same lock.
  std::mutex mutex;
  std::condition_variable answered;
  bool closing = false;

  void serve();
  void answer(int fd);
};

void InstanceWindow::State::serve() {
  for (;;) {
    pollfd fds[2] = {{listener.get(), POLLIN, 0}, {wake.get(), POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    if (fds[0].revents & POLLIN) {
      UniqueFd client(accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
      if (client.get() >= 0) answer(client.get());
    }
  }
}

void InstanceWindow::State::answer(int fd) {
  // A connection that closes without a message was somebody looking for us.
  std::optional<CopyData> read = read_copy_data(fd, wake.get());
  if (!read) return;
  const CopyData message = std::move(*read);

  // The receiver runs where window messages run: on the user-interface thread. That
  // thread may have left its loop for good, at the end of the program: closing then
  // lets the message go unanswered rather than wait for it.
  auto reply = std::make_shared<std::optional<std::uint32_t>>();
  ui->post([self = shared_from_this(), reply, message] {
    const std::uint32_t value = self->receiver ? self->receiver(message) : 0;
    std::lock_guard lock(self->mutex);
    *reply = value;
    self->answered.notify_all();
  });
  std::unique_lock lock(mutex);
  answered.wait_for(lock, answer_wait, [&] { return reply->has_value() || closing; });
  if (!reply->has_value()) return;
  const std::uint32_t value = **reply;
  lock.unlock();
  write_exact(fd, &value, sizeof value, wake.get());
}

InstanceWindow::InstanceWindow() = default;

InstanceWindow::~InstanceWindow() { close(); }

bool InstanceWindow::open(Ui& ui, std::string_view title, std::chrono::milliseconds answer_wait) {
  close();
  auto state = std::make_shared<State>();
  state->ui = &ui;
  state->answer_wait = answer_wait;
  state->listener = UniqueFd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  state->wake = UniqueFd(eventfd(0, EFD_CLOEXEC));
  if (state->listener.get() < 0 || state->wake.get() < 0) return false;
  sockaddr_un address;
  const socklen_t length = make_address(title, address);
  if (bind(state->listener.get(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(state->listener.get(), 8) != 0)
    return false;
  state->thread = std::thread([s = state.get()] { s->serve(); });
  state_ = std::move(state);
  return true;
}

void InstanceWindow::close() {
  if (!state_) return;
  {
    std::lock_guard lock(state_->mutex);
    state_->closing = true;
  }
  state_->answered.notify_all();
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t ignored = write(state_->wake.get(), &one, sizeof one);
  state_->thread.join();
  // A message already posted still finds the state, but no receiver.
  state_->receiver = nullptr;
  state_.reset();
}

bool InstanceWindow::is_open() const { return state_ != nullptr; }

void InstanceWindow::set_receiver(Receiver receiver) {
  if (state_) state_->receiver = std::move(receiver);
}

bool find_instance_window(std::string_view title) { return connect_to(title).get() >= 0; }

std::optional<std::uint32_t> send_copy_data(std::string_view title, std::uint32_t dw_data,
                                            std::string_view bytes) {
  if (bytes.size() > kMaxCopyDataBytes) return std::nullopt;
  UniqueFd fd = connect_to(title);
  if (fd.get() < 0 || !write_copy_data(fd.get(), dw_data, bytes)) return std::nullopt;
  std::uint32_t reply = 0;
  const int answer_ms = static_cast<int>(InstanceWindow::kAnswerWait.count());
  if (!wait_ready(fd.get(), POLLIN, answer_ms + kIoTimeoutMs)) return std::nullopt;
  if (!read_exact(fd.get(), &reply, sizeof reply)) return std::nullopt;
  return reply;
}

}  // namespace sonvale::platform
