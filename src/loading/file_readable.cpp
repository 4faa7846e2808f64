#include "loading/file_readable.h"

#include "platform/files.h"
#include "platform/time.h"

namespace sonvale::loading {

bool is_file_readable(const std::string& path) {
  if (!platform::touch_file_ends(path)) return false;
  platform::sleep_ms(10);
  return true;
}

}  // namespace sonvale::loading
