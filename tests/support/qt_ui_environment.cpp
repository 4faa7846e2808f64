#include "support/qt_ui_environment.h"

#include <gtest/gtest.h>

#include <memory>

namespace sonvale::test {
namespace {

class QtUiEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override { ui = std::make_unique<platform::QtUi>(); }
  void TearDown() override { ui.reset(); }
  std::unique_ptr<platform::QtUi> ui;
};

QtUiEnvironment* const environment =
    static_cast<QtUiEnvironment*>(::testing::AddGlobalTestEnvironment(new QtUiEnvironment));

}  // namespace

platform::QtUi& qt_ui() { return *environment->ui; }

}  // namespace sonvale::test
