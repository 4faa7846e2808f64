#pragma once

#include <optional>
#include <string>

#include "audiolib/cddb/lookup.h"

namespace sonvale::audiolib {

// The CDDB server to ask: SONVALE_CDDB_SERVER as host[:port] (port 8880 when left
// out), a public server when it is not set; empty for "off", which keeps the
// player off the network, and for a value that names no server.
std::optional<cddb::Server> cddb_server();

// Records found before, one file per disc ID under $XDG_CACHE_HOME/sonvale/cddb
// (~/.cache/sonvale/cddb when that is not set), so a disc is asked for once.
std::optional<std::string> cached_cddb_record(unsigned disc_id);
void cache_cddb_record(unsigned disc_id, const std::string& record);

}  // namespace sonvale::audiolib
