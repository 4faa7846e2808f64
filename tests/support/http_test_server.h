#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/cancel_signal.h"
#include "platform/unique_fd.h"

namespace sonvale::test {

// A server on 127.0.0.1 for the counter's fetch, on a thread of its own: it takes one
// connection, reads the request up to its empty line, then behaves as told.
class HttpTestServer {
 public:
  enum class Behaviour {
    Answer,   // the answer in one write; the connection stays open, as with keep-alive
    Silent,   // nothing at all; the connection stays open
    Endless,  // the answer again and again until the client goes
  };

  // With `held`, the answer waits for release().
  explicit HttpTestServer(Behaviour behaviour, std::string answer = {}, bool held = false);
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  // "127.0.0.1:<port>" followed by the path.
  std::string address(std::string_view path = "/_userdata/sonvale/mgcount.cgi") const;
  std::string site() const;
  // The request's bytes, once they have arrived.
  std::string wait_for_request();
  void release();

  // A port on 127.0.0.1 that nothing listens on.
  static int closed_port();

 private:
  void serve();
  void answer(int client);

  Behaviour behaviour_;
  std::string answer_;
  int port_ = 0;  // set while listener_ is made
  platform::UniqueFd listener_;
  platform::CancelSignal stop_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string request_;    // guarded by mutex_
  bool request_in_ = false;  // guarded by mutex_
  bool held_;                // guarded by mutex_
  std::thread thread_;
};

}  // namespace sonvale::test
