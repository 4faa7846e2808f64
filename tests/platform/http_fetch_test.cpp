// The counter's fetch over real sockets, against a server of the test's own on 127.0.0.1.
#include "platform/http_fetch.h"

#include <gtest/gtest.h>
#include <time.h>

#include <thread>

#include "platform/http_request.h"
#include "support/gif_fixtures.h"
#include "support/http_test_server.h"

namespace sonvale::platform {
namespace {

using test::HttpTestServer;
using Behaviour = HttpTestServer::Behaviour;

constexpr int kTimeoutMs = 5000;

const std::vector<std::uint8_t>& gif() {
  static const std::vector<std::uint8_t> made = test::make_gif(test::counter_picture());
  return made;
}

double thread_cpu_ms() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

TEST(HttpAddress, SplitsHostPortAndPathWithOrWithoutTheScheme) {
  for (const char* address : {"counter.example/_userdata/x.cgi", "http://counter.example/_userdata/x.cgi",
                              "HTTP://counter.example/_userdata/x.cgi", "hTtP://counter.example/_userdata/x.cgi"}) {
    SCOPED_TRACE(address);
    const std::optional<HttpAddress> split = split_http_address(address);
    ASSERT_TRUE(split);
    EXPECT_EQ(split->site, "counter.example");
    EXPECT_EQ(split->host, "counter.example");
    EXPECT_EQ(split->port, "80");
    EXPECT_EQ(split->path, "/_userdata/x.cgi");
  }
  const std::optional<HttpAddress> ported = split_http_address("127.0.0.1:8080");
  ASSERT_TRUE(ported);
  EXPECT_EQ(ported->site, "127.0.0.1:8080");
  EXPECT_EQ(ported->host, "127.0.0.1");
  EXPECT_EQ(ported->port, "8080");
  EXPECT_EQ(ported->path, "");
}

TEST(HttpAddress, NoHostABadPortOrBytesThatWouldBreakTheRequestFail) {
  for (const char* address : {"", "http://", "http:///x.cgi", ":80/x", "host:/x", "host:0/x", "host:65536/x",
                              "host:8o/x", "host:123456/x", "host/a b", "host/x\r\nX-Injected: 1", "ho\tst/x"}) {
    SCOPED_TRACE(address);
    EXPECT_FALSE(split_http_address(address));
  }
}

TEST(HttpFetch, TheCounterServersAnswerArrivesWholeAndTheRequestAsWritten) {
  for (const bool with_scheme : {false, true}) {
    SCOPED_TRACE(with_scheme ? "with http://" : "without http://");
    HttpTestServer server(Behaviour::Answer, test::counter_server_answer(gif()));
    const std::string address = (with_scheme ? "http://" : "") + server.address();
    EXPECT_EQ(http_fetch(address, 4096, kTimeoutMs), gif());
    EXPECT_EQ(server.wait_for_request(),
              "GET /_userdata/sonvale/mgcount.cgi HTTP/1.1\r\n"
              "Accept: image/gif\r\n"
              "Accept-Language: ja\r\n"
              "Accept-Encoding: gzip, deflate\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)\r\n"
              "Host: " + server.site() + "\r\n"
              "Connection: Keep-Alive\r\n"
              "\r\n");
  }
}

TEST(HttpFetch, SmallPiecesAndOddChunkingGiveTheSameBytes) {
  for (const int digits : {1, 2, 3, 5, 6}) {
    SCOPED_TRACE(std::to_string(digits) + " digits");
    HttpTestServer server(Behaviour::Answer, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" +
                                                 test::chunked(gif(), 13, digits, ";n=" + std::to_string(digits)));
    EXPECT_EQ(http_fetch(server.address(), digits == 1 ? 7 : 0, kTimeoutMs), gif());
  }
}

// Without the limit on what is kept, a server faster than the reader would fill the memory.
TEST(HttpFetch, AServerThatSendsForEverGivesNothingAndLetsGo) {
  HttpTestServer server(Behaviour::Endless, std::string(60000, 'x'));
  EXPECT_FALSE(http_fetch(server.address(), 4096, kTimeoutMs));
}

// Prints the processor time the waiting thread spent, which the busy asking used to
// make a full five seconds.
TEST(HttpFetch, ASilentServerGivesNothingAfterTheTimeOut) {
  HttpTestServer server(Behaviour::Silent);
  const double before = thread_cpu_ms();
  EXPECT_FALSE(http_fetch(server.address(), 4096, kTimeoutMs));
  const double spent = thread_cpu_ms() - before;
  std::printf("processor time while the server was silent: %.1f ms\n", spent);
  RecordProperty("silent_server_cpu_ms", std::to_string(spent));
}

TEST(HttpFetch, ARefusedConnectionOrAnUnknownHostGivesNothing) {
  EXPECT_FALSE(http_fetch("127.0.0.1:" + std::to_string(HttpTestServer::closed_port()) + "/x", 4096, kTimeoutMs));
  EXPECT_FALSE(http_fetch("counter.invalid/x", 4096, kTimeoutMs));
  EXPECT_FALSE(http_fetch("/x", 4096, kTimeoutMs));
}

TEST(HttpFetch, ACancelEndsTheWaitAtOnce) {
  HttpTestServer server(Behaviour::Silent);
  CancelSignal cancel;
  std::thread canceller([&] {
    server.wait_for_request();
    cancel.raise();
  });
  // A wait far beyond the test's own time-out: only the cancel can end it.
  EXPECT_FALSE(http_fetch(server.address(), 4096, 3'600'000, &cancel));
  canceller.join();
}

}  // namespace
}  // namespace sonvale::platform
