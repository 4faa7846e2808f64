#include "platform/headless_bus.h"

#include <QtCore/QCoreApplication>

#include <cstdlib>
#include <filesystem>

namespace sonvale::platform {

HeadlessBus::HeadlessBus() {
  if (QCoreApplication::instance() != nullptr) return;
  // Qt keeps references to both for the application's life.
  static int argc = 1;
  static char name[] = "sonvale";
  static char* argv[] = {name, nullptr};
  core_ = std::make_unique<QCoreApplication>(argc, argv);
}

HeadlessBus::~HeadlessBus() = default;

bool HeadlessBus::session_has_bus() {
  if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address != nullptr && *address != '\0')
    return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::error_code error;
  return runtime != nullptr && *runtime != '\0' &&
         std::filesystem::is_socket(std::filesystem::path(runtime) / "bus", error);
}

void HeadlessBus::answer_requests() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}

}  // namespace sonvale::platform
