#pragma once

#include "platform/ui_qt.h"

namespace sonvale::test {

// The one Qt backend of a test program, made before its first test and deleted after
// its last: a process holds one QApplication.
platform::QtUi& qt_ui();

}  // namespace sonvale::test
