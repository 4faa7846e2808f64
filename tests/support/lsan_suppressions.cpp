// Built into the test programs and the player of an AddressSanitizer build only.
//
// Leaks inside system libraries that our code cannot free:
// - libdbus keeps its connection buffers for the life of the process (Qt's
//   accessibility and session bus clients among them);
// - libcdio leaves a data source behind when it refuses some broken cue and toc
//   sheets (the tests feed it dozens of them on purpose).
// Our own allocations stay checked.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\n"
         "leak:libcdio.so\n";
}
