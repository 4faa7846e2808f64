// Reading the counter's answer: the chunked body and the picture inside it.
#include <gtest/gtest.h>

#include <string>

#include "platform/chunked_body.h"
#include "platform/http_response.h"
#include "support/gif_fixtures.h"

namespace sonvale::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::optional<Bytes> decode(std::string_view body) { return decode_chunked_body(bytes(body)); }

std::optional<Bytes> picture(std::string_view response) { return counter_picture_from_response(bytes(response)); }

const Bytes& gif() {
  static const Bytes made = test::make_gif(test::counter_picture());
  return made;
}

std::string chunked_answer(const std::string& headers, const std::string& body) {
  return "HTTP/1.1 200 OK\r\n" + headers + "\r\n" + body;
}

TEST(ChunkedBody, AnyNumberOfDigitsAndExtensionsGiveTheSameBytes) {
  for (const auto& [chunk, digits] : {std::pair<std::size_t, int>{9, 1}, {0x31, 2}, {0x123, 3}, {0x10, 5}, {7, 6}}) {
    for (const std::string extension : {"", ";name=value", " ;a;b=\"quoted\""}) {
      SCOPED_TRACE(std::to_string(digits) + " digits, extension '" + extension + "'");
      EXPECT_EQ(decode(test::chunked(gif(), chunk, digits, extension)), gif());
    }
  }
  EXPECT_EQ(decode("00000000000000000000003\r\nabc\r\n0\r\n\r\n"), bytes("abc"));
  EXPECT_EQ(decode("a\r\n0123456789\r\n0\r\n\r\n"), bytes("0123456789"));
}

TEST(ChunkedBody, TheZeroChunkEndsTheBodyAndTheTrailerIsNotRead) {
  EXPECT_EQ(decode("3\r\nabc\r\n0\r\nExpires: never\r\n\r\n5\r\nxxxxx\r\n"), bytes("abc"));
  EXPECT_EQ(decode("0\r\n\r\n"), Bytes{});
}

TEST(ChunkedBody, ABodyThatStopsAfterAWholeChunkKeepsWhatCame) {
  EXPECT_EQ(decode("3\r\nabc\r\n2\r\nde\r\n"), bytes("abcde"));
  EXPECT_EQ(decode("3\r\nabc\r\n2\r\nde"), bytes("abcde"));
}

TEST(ChunkedBody, SizesAreCheckedAgainstWhatArrived) {
  EXPECT_FALSE(decode("10\r\nabc\r\n0\r\n\r\n"));     // claims more than was sent
  EXPECT_FALSE(decode("3\r\nabc\r\n2\r\nd"));         // the last chunk cut short
  EXPECT_FALSE(decode("3\r\nabc\r\n5"));              // a size line cut short
  EXPECT_FALSE(decode("3\r\nabcX\r\n0\r\n\r\n"));     // a chunk longer than its size
  EXPECT_FALSE(decode("10000000000000003\r\nabc\r\n0\r\n\r\n"));  // overflows 64 bits
  EXPECT_FALSE(decode("ffffffffffffffff\r\nabc\r\n0\r\n\r\n"));
}

TEST(ChunkedBody, MalformedSizeLinesFail) {
  for (const char* body : {"", "\r\nabc\r\n", "x3\r\nabc\r\n", "3x\r\nabc\r\n", "3\nabc\r\n", "3\rabc\r\n",
                           "-3\r\nabc\r\n", "3;ext\nmore\r\nabc\r\n"}) {
    SCOPED_TRACE(body);
    EXPECT_FALSE(decode(body));
  }
}

TEST(CounterResponse, TheCounterServersAnswerGivesThePictureWhole) {
  const std::string answer = test::counter_server_answer(gif());
  ASSERT_NE(answer.find("\r\n0020\r\nGIF89a"), std::string::npos);
  EXPECT_EQ(picture(answer), gif());
  EXPECT_EQ(picture(chunked_answer("transfer-encoding:  Chunked \r\n", test::chunked(gif(), 1000, 3))), gif());
}

TEST(CounterResponse, BytesBeforeTheSignatureAreLeftOut) {
  EXPECT_EQ(picture(chunked_answer("Transfer-Encoding: chunked\r\n", "8\r\nxxGIF89a\r\n3\r\nabc\r\n0\r\n\r\n")),
            bytes("GIF89aabc"));
}

TEST(CounterResponse, AnythingButAnUncompressedChunkedGif89Fails) {
  const std::string body = test::chunked(gif(), 0x40, 4);
  const std::string plain(gif().begin(), gif().end());
  struct Case {
    const char* name;
    std::string response;
  };
  const Case cases[] = {
      {"not chunked", chunked_answer("Content-Length: " + std::to_string(plain.size()) + "\r\n", plain)},
      {"chunked body without the header", chunked_answer("", body)},
      {"gzip content", chunked_answer("Transfer-Encoding: chunked\r\nContent-Encoding: gzip\r\n", body)},
      {"gzip transfer coding", chunked_answer("Transfer-Encoding: gzip, chunked\r\n", body)},
      {"chunked then more", chunked_answer("Transfer-Encoding: chunked, gzip\r\n", body)},
      {"no GIF89", chunked_answer("Transfer-Encoding: chunked\r\n", "6\r\nGIF87a\r\n0\r\n\r\n")},
      {"GIF89 after a zero byte",
       chunked_answer("Transfer-Encoding: chunked\r\n", std::string("8\r\nx\0GIF89a\r\n0\r\n\r\n", 18))},
      {"zero first chunk", chunked_answer("Transfer-Encoding: chunked\r\n", "0\r\n\r\n" + body)},
      {"a chunk larger than what came", chunked_answer("Transfer-Encoding: chunked\r\n", "0400\r\nGIF89a\r\n")},
      {"headers never end", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n" + body},
      {"nothing", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(picture(c.response));
  }
  EXPECT_TRUE(picture(chunked_answer("Transfer-Encoding: chunked\r\nContent-Encoding: identity\r\n", body)));
}

}  // namespace
}  // namespace sonvale::platform
