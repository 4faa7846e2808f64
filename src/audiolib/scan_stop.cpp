#include "audiolib/scan_stop.h"

namespace sonvale::audiolib {
namespace {

thread_local const ScanStop* innermost = nullptr;

}  // namespace

ScanStop::ScanStop(std::function<bool()> stop) : stop_(std::move(stop)), outer_(innermost) {
  innermost = this;
}

ScanStop::~ScanStop() { innermost = outer_; }

bool ScanStop::requested() { return innermost != nullptr && innermost->stop_ && innermost->stop_(); }

}  // namespace sonvale::audiolib
