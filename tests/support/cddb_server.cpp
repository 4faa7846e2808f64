#include "support/cddb_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <sstream>

namespace sonvale::test {
namespace {

// How often a waiting server looks whether it is to stop.
constexpr int kPollMs = 20;

std::vector<std::string> words_of(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

}  // namespace

CddbServer::CddbServer(std::vector<std::string> lines, Mode mode) : lines_(std::move(lines)), mode_(mode) {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ::bind(listener_, reinterpret_cast<sockaddr*>(&address), size);
  ::listen(listener_, 8);
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { serve(); });
}

CddbServer::~CddbServer() {
  stopping_ = true;
  thread_.join();
  ::close(listener_);
}

std::string CddbServer::address() const { return "127.0.0.1:" + std::to_string(port_); }

std::vector<std::string> CddbServer::commands() const {
  std::lock_guard lock(mutex_);
  return commands_;
}

void CddbServer::serve() {
  while (!stopping_) {
    pollfd wait{listener_, POLLIN, 0};
    if (::poll(&wait, 1, kPollMs) <= 0) continue;
    const int client = ::accept(listener_, nullptr, nullptr);
    if (client < 0) continue;
    ++connections_;
    talk(client);
    ::close(client);
  }
}

bool CddbServer::send(int client, const std::string& text) {
  return ::send(client, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
}

bool CddbServer::receive(int client, std::string& line) {
  line.clear();
  while (!stopping_) {
    pollfd wait{client, POLLIN, 0};
    if (::poll(&wait, 1, kPollMs) <= 0) continue;
    char c;
    if (::recv(client, &c, 1, 0) != 1) return false;
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    line.push_back(c);
  }
  return false;
}

void CddbServer::talk(int client) {
  std::string line;
  if (mode_ == Mode::Silent) {
    while (receive(client, line)) {
    }
    return;
  }
  if (!send(client, "201 test CDDBP server v1 ready\r\n")) return;
  while (receive(client, line)) {
    {
      std::lock_guard lock(mutex_);
      commands_.push_back(line);
    }
    const std::vector<std::string> words = words_of(line);
    std::string reply;
    if (line.starts_with("cddb hello")) {
      reply = "200 Hello and welcome\r\n";
    } else if (line.starts_with("proto")) {
      reply = "201 OK, CDDB protocol level now: 6\r\n";
    } else if (line.starts_with("cddb query") && words.size() >= 4) {
      reply = mode_ == Mode::NoMatch ? "202 No match found\r\n" : "200 rock " + words[2] + " Band / Album\r\n";
    } else if (line.starts_with("cddb read") && words.size() >= 4) {
      // The record's header repeats the disc's offsets and length from its query.
      std::vector<std::string> query;
      for (const std::string& c : commands())
        if (c.starts_with("cddb query")) query = words_of(c);
      reply = "210 rock " + words[3] + " CD database entry follows (until terminating `.')\r\n";
      reply += "# xmcd\r\n#\r\n# Track frame offsets:\r\n";
      for (std::size_t i = 4; i + 1 < query.size(); ++i) reply += "#\t" + query[i] + "\r\n";
      reply += "#\r\n# Disc length: " + (query.empty() ? std::string("0") : query.back()) + " seconds\r\n#\r\n";
      reply += "# Revision: 0\r\n# Submitted via: test 1\r\n#\r\n";
      reply += "DISCID=" + words[3] + "\r\n";
      for (const std::string& l : lines_) reply += l + "\r\n";
      reply += ".\r\n";
    } else if (line == "quit") {
      send(client, "230 Goodbye\r\n");
      return;
    } else {
      reply = "500 Unrecognized command\r\n";
    }
    if (!send(client, reply)) return;
  }
}

}  // namespace sonvale::test
