#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A small CDDB server (CDDBP) on 127.0.0.1 for the tests, on a port of its own.
namespace sonvale::test {

class CddbServer {
 public:
  enum class Mode {
    Answer,   // one match for any disc, whose record holds `lines`
    NoMatch,  // knows no disc
    Silent,   // takes the connection and never says a word
  };

  // `lines` follow the record's header; "DTITLE=Band / Album", "TTITLE0=...", sent
  // byte for byte with CR LF after each.
  explicit CddbServer(std::vector<std::string> lines, Mode mode = Mode::Answer);
  ~CddbServer();
  CddbServer(const CddbServer&) = delete;
  CddbServer& operator=(const CddbServer&) = delete;

  // For SONVALE_CDDB_SERVER: "127.0.0.1:<port>".
  std::string address() const;
  int connections() const { return connections_.load(); }
  // The commands received, in order.
  std::vector<std::string> commands() const;

 private:
  void serve();
  void talk(int client);
  bool send(int client, const std::string& text);
  // A line from the client without its end; false when it hung up or the server stops.
  bool receive(int client, std::string& line);

  std::vector<std::string> lines_;
  Mode mode_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  std::vector<std::string> commands_;  // guarded by mutex_
  std::thread thread_;
};

}  // namespace sonvale::test
