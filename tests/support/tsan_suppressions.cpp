// Built into the test programs of a ThreadSanitizer build only.
//
// Qt synchronises with its own futex-based locks, which ThreadSanitizer cannot see:
// work handed to the Qt thread and back (a blocking queued call, the file dialog's
// directory reader) looks like a race. Our own locks stay checked.
extern "C" const char* __tsan_default_suppressions() {
  return "race:libQt6Core.so\n"
         "race:libQt6Gui.so\n"
         "race:libQt6Widgets.so\n"
         "race:libQt6DBus.so\n";
}
