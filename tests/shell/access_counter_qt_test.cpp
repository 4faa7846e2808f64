// The launch counter's picture on real widgets: its transparent ground lets the
// window show through.
#include <gtest/gtest.h>

#include <QtGui/QColor>
#include <QtGui/QImage>
#include <QtWidgets/QWidget>

#include "platform/interface_fonts.h"
#include "platform/player_ids.h"
#include "shell/app.h"
#include "shell/main_window.h"
#include "support/gif_fixtures.h"
#include "support/http_test_server.h"
#include "support/qt_ui_environment.h"
#include "support/screenshots.h"

namespace sonvale::shell {
namespace {

TEST(CounterOnScreen, ThePictureIsShownWithTheWindowThroughItsTransparentGround) {
  platform::QtUi& ui = test::qt_ui();
  App app(ui);
  test::HttpTestServer server(test::HttpTestServer::Behaviour::Answer,
                              test::counter_server_answer(test::make_gif(test::counter_picture())));
  platform::create_interface_fonts(ui);
  build_main_window(ui, [&] { app.access_counter.start(server.address()); });
  // Its picture switches wait for this thread to take events.
  while (app.access_counter.running()) ui.wait_event(10);

  ASSERT_EQ(ui.gadget_image(ids::kBanner), ids::kCounterImage);
  const QImage shown = test::gadget_widget(ids::kBanner)->grab().toImage();
  EXPECT_EQ(shown.pixelColor(0, 0), QColor(0, 0, 160));
  EXPECT_EQ(shown.pixelColor(2, 1), QColor(40, 40, 40));
  EXPECT_EQ(shown.pixelColor(18, 6), QColor(200, 0, 0));
  EXPECT_EQ(shown.pixelColor(100, 50), QColor(0, 0, 160));

  ui.close_window(ids::kMainWindow);
  while (ui.wait_event(0).kind != platform::EventKind::None) {
  }
}

}  // namespace
}  // namespace sonvale::shell
