#pragma once

#include <string>

namespace sonvale::shell {

// Writes the five kernel and filter tables, as the player builds them, to
// `directory`: quarter.f64, half.f64, ham255.f64, bla255.f64 and ham2047.f64, each
// raw little-endian doubles. False, with the reason in `error`, when one cannot be
// written.
bool dump_tables(const std::string& directory, std::string& error);

}  // namespace sonvale::shell
