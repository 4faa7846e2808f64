#include "audiolib/cddb/lookup.h"

#include <cddb/cddb.h>
#include <netdb.h>
#include <arpa/inet.h>
#include <pthread.h>

#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

namespace sonvale::audiolib::cddb {
namespace {

// libcddb's connection and disc, owned.
struct Connection {
  cddb_conn_t* conn = cddb_new();
  ~Connection() {
    if (conn != nullptr) cddb_destroy(conn);
  }
};

struct Disc {
  cddb_disc_t* disc = cddb_disc_new();
  ~Disc() {
    if (disc != nullptr) cddb_disc_destroy(disc);
  }
};

void quiet(cddb_log_level_t, const char*) {}

// libcddb keeps state of its own between calls (its patterns, its log), so one
// exchange runs at a time. A flag under a plain mutex rather than a timed mutex,
// whose timed lock the thread sanitizer cannot follow. Never destroyed: an exchange
// given up may still hold its turn while the program ends.
class LibraryTurn {
 public:
  static LibraryTurn& instance() {
    static auto* turn = new LibraryTurn;
    return *turn;
  }
  bool take_until(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock hold(mutex_);
    if (!free_.wait_until(hold, deadline, [&] { return !busy_; })) return false;
    busy_ = true;
    return true;
  }
  void give_back() {
    {
      std::lock_guard hold(mutex_);
      busy_ = false;
    }
    free_.notify_one();
  }

 private:
  std::mutex mutex_;
  std::condition_variable free_;
  bool busy_ = false;  // guarded by mutex_
};

void fill(cddb_disc_t* disc, const DiscToc& toc) {
  for (int offset : toc.offsets) {
    cddb_track_t* track = cddb_track_new();
    cddb_track_set_frame_offset(track, offset);
    cddb_disc_add_track(disc, track);
  }
  cddb_disc_set_length(disc, static_cast<unsigned>(toc.seconds));
}

std::string text_or_empty(const char* text) { return text != nullptr ? text : ""; }

// "Artist / Title", or the one of them when both are the same (libcddb copies a
// lone title into both).
std::string joined(const char* artist, const char* title) {
  const std::string a = text_or_empty(artist), t = text_or_empty(title);
  if (a.empty() || a == t) return t;
  if (t.empty()) return a;
  return a + " / " + t;
}

std::string hex(unsigned id) {
  char text[9];
  std::snprintf(text, sizeof text, "%08x", id);
  return text;
}

std::string record_of(cddb_disc_t* disc) {
  std::string record = "# xmcd\r\n#\r\n";
  record += "DISCID=" + hex(cddb_disc_get_discid(disc)) + "\r\n";
  record += "DTITLE=" + joined(cddb_disc_get_artist(disc), cddb_disc_get_title(disc)) + "\r\n";
  const unsigned year = cddb_disc_get_year(disc);
  record += "DYEAR=" + (year != 0 ? std::to_string(year) : std::string()) + "\r\n";
  record += "DGENRE=" + text_or_empty(cddb_disc_get_genre(disc)) + "\r\n";
  for (int i = 0; i < cddb_disc_get_track_count(disc); ++i) {
    cddb_track_t* track = cddb_disc_get_track(disc, i);
    const char* artist = track != nullptr ? cddb_track_get_artist(track) : nullptr;
    // A track's own artist, where it differs from the disc's, came from "Artist / Title".
    const bool own = artist != nullptr && text_or_empty(artist) != text_or_empty(cddb_disc_get_artist(disc));
    const std::string title = track != nullptr ? text_or_empty(cddb_track_get_title(track)) : "";
    record += "TTITLE" + std::to_string(i) + "=" + (own ? std::string(artist) + " / " + title : title) + "\r\n";
  }
  record += "EXTD=\r\nPLAYORDER=\r\n";
  return record;
}

// The host's IPv4 address as text: libcddb resolves names with an alarm signal,
// which no multi-threaded program can afford, but takes a numeric address as is.
std::optional<std::string> numeric_address(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return std::nullopt;
  char text[INET_ADDRSTRLEN] = {};
  const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
  const bool ok = ::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr;
  ::freeaddrinfo(found);
  if (!ok) return std::nullopt;
  return std::string(text);
}

std::optional<Match> exchange(const Server& server, const DiscToc& toc, std::chrono::seconds timeout) {
  // libcddb builds its default cache folder from $HOME and crashes without it.
  if (std::getenv("HOME") == nullptr) return std::nullopt;
  const std::optional<std::string> address = numeric_address(server.host);
  if (!address) return std::nullopt;
  Connection connection;
  Disc disc;
  if (connection.conn == nullptr || disc.disc == nullptr) return std::nullopt;
  cddb_conn_t* conn = connection.conn;
  cddb_cache_disable(conn);  // the player keeps its own
  cddb_http_disable(conn);
  cddb_set_server_name(conn, address->c_str());
  cddb_set_server_port(conn, server.port);
  cddb_set_timeout(conn, static_cast<unsigned>(timeout.count()));
  cddb_set_client(conn, "sonvale", "1");
  fill(disc.disc, toc);

  const int matches = cddb_query(conn, disc.disc);
  if (matches <= 0) return std::nullopt;
  Match match;
  match.query = (matches == 1 ? "200 " : "211 ") + text_or_empty(cddb_disc_get_category_str(disc.disc)) + " " +
                hex(cddb_disc_get_discid(disc.disc)) + " " +
                joined(cddb_disc_get_artist(disc.disc), cddb_disc_get_title(disc.disc));
  if (!cddb_read(conn, disc.disc)) return std::nullopt;
  match.record = record_of(disc.disc);
  return match;
}

struct Pending {
  std::mutex mutex;
  std::condition_variable done_changed;
  bool done = false;                // guarded by mutex
  std::optional<Match> match;       // guarded by mutex
};

}  // namespace

unsigned disc_id(const DiscToc& toc) {
  Disc disc;
  if (disc.disc == nullptr) return 0;
  fill(disc.disc, toc);
  cddb_disc_calc_discid(disc.disc);
  return cddb_disc_get_discid(disc.disc);
}

std::optional<Match> look_up(const Server& server, const DiscToc& toc, std::chrono::seconds exchange_timeout,
                             std::chrono::seconds total_timeout) {
  static std::once_flag once;
  std::call_once(once, [] { cddb_log_set_handler(quiet); });
  const auto deadline = std::chrono::steady_clock::now() + total_timeout;
  auto pending = std::make_shared<Pending>();
  // The exchange runs on a thread of its own, so that a server that trickles its
  // answer, or a name server that never answers, costs no more than the deadline.
  std::thread([pending, server, toc, exchange_timeout, deadline] {
    // A server that hangs up must not end the program with SIGPIPE.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    std::optional<Match> match;
    LibraryTurn& turn = LibraryTurn::instance();
    if (turn.take_until(deadline)) {
      match = exchange(server, toc, exchange_timeout);
      turn.give_back();
    }
    std::lock_guard guard(pending->mutex);
    pending->match = std::move(match);
    pending->done = true;
    pending->done_changed.notify_all();
  }).detach();

  std::unique_lock lock(pending->mutex);
  if (!pending->done_changed.wait_until(lock, deadline, [&] { return pending->done; })) return std::nullopt;
  return std::move(pending->match);
}

}  // namespace sonvale::audiolib::cddb
