#include "shell/access_counter.h"

namespace sonvale::shell {

// Nothing is fetched yet: the banner and the "Launch counter" label keep the
// pictures they were built with.
void start_access_counter(platform::Ui&) {}

}  // namespace sonvale::shell
