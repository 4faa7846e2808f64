#include "support/http_test_server.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

namespace sonvale::test {
namespace {

using platform::UniqueFd;
using platform::WaitResult;

UniqueFd bound_socket(int& port) {
  UniqueFd fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return UniqueFd();
  socklen_t length = sizeof address;
  getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

HttpTestServer::HttpTestServer(Behaviour behaviour, std::string answer, bool held)
    : behaviour_(behaviour), answer_(std::move(answer)), listener_(bound_socket(port_)), held_(held) {
  listen(listener_.get(), 4);
  thread_ = std::thread([this] { serve(); });
}

HttpTestServer::~HttpTestServer() {
  stop_.raise();
  // Taken once, so a thread between its look at the flag and its wait cannot miss it.
  { std::lock_guard lock(mutex_); }
  changed_.notify_all();
  thread_.join();
}

std::string HttpTestServer::site() const { return "127.0.0.1:" + std::to_string(port_); }

std::string HttpTestServer::address(std::string_view path) const { return site() + std::string(path); }

std::string HttpTestServer::wait_for_request() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return request_in_; });
  return request_;
}

void HttpTestServer::release() {
  std::lock_guard lock(mutex_);
  held_ = false;
  changed_.notify_all();
}

int HttpTestServer::closed_port() {
  int port = 0;
  bound_socket(port);
  return port;
}

void HttpTestServer::serve() {
  if (platform::wait_for_fd(listener_.get(), POLLIN, -1, &stop_) != WaitResult::Ready) return;
  UniqueFd client(accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
  if (!client.valid()) return;
  std::string request;
  char piece[1024];
  while (request.find("\r\n\r\n") == std::string::npos) {
    if (platform::wait_for_fd(client.get(), POLLIN, -1, &stop_) != WaitResult::Ready) return;
    const ssize_t n = recv(client.get(), piece, sizeof piece, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) break;
    if (n > 0) request.append(piece, static_cast<std::size_t>(n));
  }
  {
    std::unique_lock lock(mutex_);
    request_ = request;
    request_in_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return !held_ || stop_.raised(); });
  }
  answer(client.get());
}

void HttpTestServer::answer(int client) {
  do {
    if (behaviour_ == Behaviour::Silent) break;
    std::string_view rest = answer_;
    while (!rest.empty()) {
      if (platform::wait_for_fd(client, POLLOUT, -1, &stop_) != WaitResult::Ready) return;
      const ssize_t sent = send(client, rest.data(), rest.size(), MSG_NOSIGNAL);
      if (sent < 0 && errno != EAGAIN && errno != EINTR) return;
      if (sent > 0) rest.remove_prefix(static_cast<std::size_t>(sent));
    }
  } while (behaviour_ == Behaviour::Endless);
  // Keep the connection until the client closes it or the test ends.
  char piece[1024];
  while (platform::wait_for_fd(client, POLLIN, -1, &stop_) == WaitResult::Ready) {
    const ssize_t n = recv(client, piece, sizeof piece, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return;
  }
}

}  // namespace sonvale::test
