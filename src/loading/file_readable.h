#pragma once

#include <string>

namespace sonvale::loading {

// Opens the file and reads its first and last byte, so that a sleeping disk or a
// network share has woken before the decoder opens it, then waits 10 ms. False only
// when it cannot be opened; an empty file is readable.
bool is_file_readable(const std::string& path);

}  // namespace sonvale::loading
