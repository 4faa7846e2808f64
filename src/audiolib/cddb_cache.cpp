#include "audiolib/cddb_cache.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace sonvale::audiolib {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPublicServer = "gnudb.gnudb.org";
constexpr int kCddbPort = 8880;
// A record is a few kilobytes; a larger file is not one of ours.
constexpr std::uintmax_t kLargestRecord = 1 << 20;

std::string cache_folder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache != nullptr && cache[0] == '/') return std::string(cache) + "/sonvale/cddb";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.cache/sonvale/cddb";
  return {};
}

std::string file_of(unsigned disc_id) {
  char name[9];
  std::snprintf(name, sizeof name, "%08x", disc_id);
  const std::string folder = cache_folder();
  return folder.empty() ? std::string() : folder + "/" + name;
}

}  // namespace

std::optional<cddb::Server> cddb_server() {
  const char* value = std::getenv("SONVALE_CDDB_SERVER");
  const std::string text = value != nullptr ? value : "";
  if (text.empty()) return cddb::Server{kPublicServer, kCddbPort};
  if (text == "off") return std::nullopt;
  cddb::Server server{text, kCddbPort};
  const std::size_t colon = text.rfind(':');
  if (colon != std::string::npos) {
    const std::string port = text.substr(colon + 1);
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
      return std::nullopt;
    server.host = text.substr(0, colon);
    server.port = std::stoi(port);
    if (server.port < 1 || server.port > 65535) return std::nullopt;
  }
  if (server.host.empty()) return std::nullopt;
  return server;
}

std::optional<std::string> cached_cddb_record(unsigned disc_id) {
  const std::string file = file_of(disc_id);
  std::error_code error;
  if (file.empty() || !fs::is_regular_file(file, error) || fs::file_size(file, error) > kLargestRecord || error)
    return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  std::string record((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (record.empty() || record.find('\0') != std::string::npos) return std::nullopt;
  return record;
}

void cache_cddb_record(unsigned disc_id, const std::string& record) {
  const std::string file = file_of(disc_id);
  if (file.empty()) return;
  std::error_code error;
  fs::create_directories(fs::path(file).parent_path(), error);
  // Written beside and renamed, so that a reader never sees half a record.
  const std::string part = file + ".part" + std::to_string(::getpid());
  {
    std::ofstream out(part, std::ios::binary);
    out << record;
    if (!out.flush()) {
      fs::remove(part, error);
      return;
    }
  }
  fs::rename(part, file, error);
  if (error) fs::remove(part, error);
}

}  // namespace sonvale::audiolib
