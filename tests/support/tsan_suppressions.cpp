// Built into the test programs and the player of a ThreadSanitizer build only.
//
// Qt synchronises with its own futex-based locks, which ThreadSanitizer cannot see:
// work handed to the Qt thread and back (a blocking queued call, the file dialog's
// directory reader) looks like a race. GLib's main loop and libdbus under Qt's bus
// thread are the same story: their wake-ups and connection locks are uninstrumented,
// and the lock orders reported inside libdbus are between its own locks, on its own
// thread. Our own locks stay checked.
extern "C" const char* __tsan_default_suppressions() {
  return "race:libQt6\n"  // every Qt library, its platform plugins among them
         "race:libglib-2.0.so\n"
         "race:libdbus-1.so\n"
         "deadlock:libdbus-1.so\n";
}
