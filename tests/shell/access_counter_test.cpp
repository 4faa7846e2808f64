// The launch counter's thread and the pictures it switches, on the headless backend,
// against a server of the test's own on 127.0.0.1.
#include "shell/access_counter.h"

#include <gtest/gtest.h>

#include "platform/interface_fonts.h"
#include "platform/player_ids.h"
#include "platform/time.h"
#include "platform/ui_headless.h"
#include "shell/click_chain.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "support/gif_fixtures.h"
#include "support/http_test_server.h"

namespace sonvale::shell {
namespace {

using test::HttpTestServer;
using Behaviour = HttpTestServer::Behaviour;

const std::vector<std::uint8_t>& gif() {
  static const std::vector<std::uint8_t> made = test::make_gif(test::counter_picture());
  return made;
}

std::string chunked_response(const std::string& headers, const std::string& body) {
  return "HTTP/1.1 200 OK\r\n" + headers + "\r\n" + body;
}

// The main window built with the counter started at `address`.
class Counter : public ::testing::Test {
 protected:
  void build(const std::string& address) {
    platform::create_interface_fonts(ui_);
    build_main_window(ui_, [&] { app_.access_counter.start(address); });
  }
  void wait_for_the_counter() {
    while (app_.access_counter.running()) platform::sleep_ms(1);
  }
  void click_banner() {
    const platform::Rect r = ui_.gadget_screen_rect(ids::kBanner);
    ui_.set_cursor({r.x + r.w / 2, r.y + r.h / 2});
    run_click_chain(app_);
  }
  void expect_isolated() {
    EXPECT_EQ(ui_.gadget_image(ids::kCounterLabel), ids::kIsolatedImage);
    EXPECT_FALSE(ui_.is_gadget_hidden(ids::kCounterLabel));
    EXPECT_EQ(ui_.gadget_image(ids::kBanner), ids::kBannerImage);
    EXPECT_EQ(app_.counter_picture_flag.load(), 0);
    EXPECT_FALSE(ui_.image_exists(ids::kCounterImage));
    EXPECT_TRUE(ui_.message_boxes().empty());
  }

  platform::HeadlessUi ui_;
  App app_{ui_};
};

TEST_F(Counter, ThePictureReplacesTheBannerWhenItComesBeforeAnyClick) {
  HttpTestServer server(Behaviour::Answer, test::counter_server_answer(gif()));
  build(server.address());
  wait_for_the_counter();
  EXPECT_EQ(ui_.gadget_image(ids::kBanner), ids::kCounterImage);
  EXPECT_EQ(ui_.image_rect(ids::kCounterImage), (platform::Rect{0, 0, 24, 8}));
  EXPECT_EQ(app_.counter_picture_flag.load(), 1);
  EXPECT_EQ(ui_.gadget_image(ids::kCounterLabel), ids::kLaunchCounterImage);
  EXPECT_FALSE(ui_.is_gadget_hidden(ids::kCounterLabel));

  // The first click on the banner puts the plain panel in its place.
  click_banner();
  EXPECT_EQ(ui_.gadget_image(ids::kBanner), ids::kBlankPanelImage);
  EXPECT_TRUE(ui_.is_gadget_hidden(ids::kCounterLabel));
}

TEST_F(Counter, APictureThatComesAfterTheFirstClickLeavesThePlainPanel) {
  HttpTestServer server(Behaviour::Answer, test::counter_server_answer(gif()), /*held=*/true);
  build(server.address());
  server.wait_for_request();
  click_banner();
  EXPECT_EQ(app_.banner_flag.load(), 0);
  server.release();
  wait_for_the_counter();
  EXPECT_EQ(ui_.gadget_image(ids::kBanner), ids::kBlankPanelImage);
  EXPECT_TRUE(ui_.is_gadget_hidden(ids::kCounterLabel));
  EXPECT_EQ(app_.counter_picture_flag.load(), 1);
  EXPECT_TRUE(ui_.image_exists(ids::kCounterImage));
}

TEST_F(Counter, APictureThatDoesNotDecodeLeavesThePlainPanelAndHidesTheLabel) {
  const std::string not_a_picture = "GIF89a, and nothing a decoder could use";
  HttpTestServer server(Behaviour::Answer,
                        chunked_response("Transfer-Encoding: chunked\r\n",
                                         test::chunked({not_a_picture.begin(), not_a_picture.end()}, 16, 4)));
  build(server.address());
  wait_for_the_counter();
  EXPECT_EQ(ui_.gadget_image(ids::kBanner), ids::kBlankPanelImage);
  EXPECT_TRUE(ui_.is_gadget_hidden(ids::kCounterLabel));
  EXPECT_EQ(app_.counter_picture_flag.load(), 0);
  EXPECT_FALSE(ui_.image_exists(ids::kCounterImage));
}

TEST_F(Counter, NoHostShowsTheIsolatedLabelAtOnce) {
  build("");
  EXPECT_FALSE(app_.access_counter.running());
  expect_isolated();
}

TEST_F(Counter, ClosingDoesNotWaitForASlowServer) {
  HttpTestServer server(Behaviour::Silent);
  build(server.address());
  server.wait_for_request();
  // A stop that waited for the server would take the five seconds and then find the
  // label switched; the test's own time-out decides a hang.
  app_.access_counter.stop();
  EXPECT_FALSE(app_.access_counter.running());
  EXPECT_EQ(ui_.gadget_image(ids::kCounterLabel), ids::kLaunchCounterImage);
  EXPECT_EQ(ui_.gadget_image(ids::kBanner), ids::kBannerImage);
}

struct FailingAnswer {
  const char* name;
  Behaviour behaviour;
  std::string answer;
};

void PrintTo(const FailingAnswer& answer, std::ostream* out) { *out << answer.name; }

std::string plain_body() { return std::string(gif().begin(), gif().end()); }

std::vector<FailingAnswer> failing_answers() {
  const std::string chunked_gif = test::chunked(gif(), 0x20, 4);
  return {
      {"NotChunked", Behaviour::Answer,
       chunked_response("Content-Length: " + std::to_string(gif().size()) + "\r\n", plain_body())},
      {"Gzip", Behaviour::Answer,
       chunked_response("Transfer-Encoding: chunked\r\nContent-Encoding: gzip\r\n",
                        test::chunked({0x1F, 0x8B, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03}, 10, 4))},
      {"NoGif89", Behaviour::Answer,
       chunked_response("Transfer-Encoding: chunked\r\n", test::chunked({'G', 'I', 'F', '8', '7', 'a'}, 6, 4))},
      {"ZeroFirstChunk", Behaviour::Answer, chunked_response("Transfer-Encoding: chunked\r\n", "0000\r\n\r\n" + chunked_gif)},
      {"ChunkLongerThanSent", Behaviour::Answer, chunked_response("Transfer-Encoding: chunked\r\n", "0400\r\nGIF89a\r\n")},
      {"SendsForEver", Behaviour::Endless, std::string(65536, 'x')},
      {"Silent", Behaviour::Silent, ""},
  };
}

class CounterFailure : public Counter, public ::testing::WithParamInterface<FailingAnswer> {};

TEST_P(CounterFailure, ShowsTheIsolatedLabelAndChangesNothingElse) {
  HttpTestServer server(GetParam().behaviour, GetParam().answer);
  build(server.address());
  wait_for_the_counter();
  expect_isolated();
}

INSTANTIATE_TEST_SUITE_P(Answers, CounterFailure, ::testing::ValuesIn(failing_answers()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Counter, ARefusedConnectionShowsTheIsolatedLabel) {
  build("127.0.0.1:" + std::to_string(HttpTestServer::closed_port()) + "/_userdata/sonvale/mgcount.cgi");
  wait_for_the_counter();
  expect_isolated();
}

TEST_F(Counter, AnUnknownHostShowsTheIsolatedLabel) {
  build(counter_address("counter.invalid"));
  wait_for_the_counter();
  expect_isolated();
}

}  // namespace
}  // namespace sonvale::shell
