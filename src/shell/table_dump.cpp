#include "shell/table_dump.h"

#include <bit>
#include <fstream>
#include <vector>

#include "engine/kernel_tables.h"

namespace sonvale::shell {

static_assert(std::endian::native == std::endian::little, "tables are written as they lie in memory");

bool dump_tables(const std::string& directory, std::string& error) {
  const engine::TableSet tables;
  const std::pair<const char*, const std::vector<double>*> files[] = {
      {"quarter.f64", &tables.quarter},   {"half.f64", &tables.half},
      {"ham255.f64", &tables.hamming255}, {"bla255.f64", &tables.blackman255},
      {"ham2047.f64", &tables.hamming2047},
  };
  for (const auto& [name, table] : files) {
    const std::string path = directory + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(table->data()),
              static_cast<std::streamsize>(table->size() * sizeof(double)));
    out.close();
    if (!out) {
      error = "cannot write " + path;
      return false;
    }
  }
  return true;
}

}  // namespace sonvale::shell
