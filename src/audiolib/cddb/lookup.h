#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace sonvale::audiolib::cddb {

// A disc as CDDB knows it: where each track starts, in frames of 1/75 s counted
// from the start of the lead-in (sector + 150), and the disc's length.
struct DiscToc {
  std::vector<int> offsets;
  int seconds = 0;
};

// CDDB's disc ID, as libcddb computes it.
unsigned disc_id(const DiscToc& toc);

struct Server {
  std::string host;
  int port = 8880;
};

struct Match {
  // The query's answer: status, category, disc ID and title of the first match,
  // "200 rock 7a0b4c09 Artist / Title".
  std::string query;
  // That match's record in xmcd form, every line ended by CR LF. Its bytes are the
  // server's, in whatever encoding it sent them.
  std::string record;
};

// Asks a CDDB server (CDDBP) for the disc and reads the first match. Each exchange
// with the server may take `exchange_timeout`, the whole of it `total_timeout`;
// after that it is given up and its late answer dropped. Empty when the server
// knows no match or gives none in time.
std::optional<Match> look_up(const Server& server, const DiscToc& toc, std::chrono::seconds exchange_timeout,
                             std::chrono::seconds total_timeout);

}  // namespace sonvale::audiolib::cddb
