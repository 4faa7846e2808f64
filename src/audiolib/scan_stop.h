#pragma once

#include <functional>

namespace sonvale::audiolib {

// A length that is not stated by the file is measured over the whole file, on the
// thread that first asks for it (BASS_ChannelGetLength). While a ScanStop lives on a
// thread, such a measurement there asks `stop` as it goes and gives up once it
// answers true: the call then fails with kErrorStopped, and a later call measures
// again. Scopes nest; the innermost one is asked.
class ScanStop {
 public:
  explicit ScanStop(std::function<bool()> stop);
  ~ScanStop();
  ScanStop(const ScanStop&) = delete;
  ScanStop& operator=(const ScanStop&) = delete;

  // Whether the calling thread's innermost ScanStop asks to stop; false without one.
  static bool requested();

 private:
  std::function<bool()> stop_;
  const ScanStop* outer_;
};

}  // namespace sonvale::audiolib
