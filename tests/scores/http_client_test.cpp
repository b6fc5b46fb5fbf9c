#include <gtest/gtest.h>

#include "local_server.h"
#include "platform/stream.h"
#include "scores/scores.h"

namespace {

using scores::Thttp;

std::string Bytes(const Text& text) { return platform::ToBytes(text); }

// Opens a client on the local server and returns the request it sent.
class HttpExchange : public ::testing::Test {
 protected:
  std::string HostName() const { return Bytes(local_server::ServerAddress()); }

  std::string HeadFor(const std::string& method, const std::string& path) const {
    return method + " /" + path + " HTTP/1.0\nHost: " + HostName() +
           "\nUser-Agent: PlumeThttp/1.0\n";
  }

  template <class Request>
  std::string Exchange(const std::string& reply, Request request, Text* result = nullptr) {
    local_server::Server server(reply);
    EXPECT_TRUE(server.listening());
    Thttp http;
    EXPECT_EQ(http.Open(local_server::ServerAddress(), 1), 1);
    const Text answer = request(http);
    if (result) *result = answer;
    const auto requests = server.Requests();
    EXPECT_EQ(requests.size(), 1u);
    return requests.empty() ? std::string() : requests.front();
  }
};

TEST_F(HttpExchange, GetSendsBareLineFeedsThenTheLineEndOfTheStream) {
  Text result;
  const std::string request = Exchange(
      "HTTP/1.0 200 OK\r\nX: y\n\r\nhi\r\n", [](Thttp& http) { return http.Get(u"x"); }, &result);
  EXPECT_EQ(request, HeadFor("GET", "x") + "\n\r\n");
  EXPECT_EQ(result, u"HTTP/1.0 200 OK\nX: y\n\nhi");
}

TEST_F(HttpExchange, PostSendsTheEncodedFormWithItsLength) {
  const std::string request = Exchange("HTTP/1.0 200 OK\r\n", [](Thttp& http) {
    return http.Post(u"p", {u"a", u"b c"}, {u"1", u"&"});
  });
  EXPECT_EQ(request, HeadFor("POST", "p") +
                         "Content-Length: 13\nContent-Type: application/x-www-form-urlencoded\n\n"
                         "a=1&b%20c=%26\r\n");
}

TEST_F(HttpExchange, PostWithoutFieldsSendsAnEmptyBody) {
  const std::string request = Exchange("", [](Thttp& http) { return http.Post(u"p", {}, {}); });
  EXPECT_NE(request.find("Content-Length: 0\n"), std::string::npos);
  EXPECT_EQ(request.substr(request.size() - 4), "\n\n\r\n");
}

TEST_F(HttpExchange, AnEmptyReplyStaysEmptyAndAutoCloseClosesTheStream) {
  Text result = u"unset";
  int32_t stream = 0;
  Exchange(
      "",
      [&](Thttp& http) {
        stream = http.stream;
        return http.Get(u"");
      },
      &result);
  EXPECT_EQ(result, u"");
  EXPECT_NE(stream, 0);
  EXPECT_EQ(platform::HandleTo<platform::Stream>(stream), nullptr);  // closed and released
}

// Past 4 MiB a reply fails as an unreachable server does, whether it comes
// in lines or in one line without end, and is never returned cut short.
TEST_F(HttpExchange, AReplyOverTheLimitFailsInsteadOfComingBackCut) {
  const size_t limit = size_t(1) << 22;
  const auto get = [](Thttp& http) { return http.Get(u"x"); };
  Text result = u"unset";
  Exchange(std::string(limit - 1, 'a') + "\n", get, &result);
  EXPECT_EQ(result.size(), limit - 1);
  Exchange(std::string(limit, 'a') + "\n", get, &result);
  EXPECT_EQ(result, u"");
  Exchange(std::string(10 * limit, 'a'), get, &result);
  EXPECT_EQ(result, u"");

  local_server::Server endless(std::string(65536, 'a') + "\n", true);
  Thttp http;
  ASSERT_EQ(http.Open(local_server::ServerAddress(), 0), 1);
  EXPECT_EQ(http.Get(u"x"), u"");
  http.Close();
}

TEST(HttpClient, AFailedOpenKeepsTheFieldsAndLaterCallsDoNothing) {
  Thttp http;
  http.host = u"before";
  EXPECT_EQ(http.Open(local_server::SilentAddress(), 1), 0);
  const int32_t first_socket = http.sock;
  EXPECT_EQ(http.Open(local_server::SilentAddress(), 1), 0);
  EXPECT_NE(http.sock, 0);
  EXPECT_EQ(rt_handle_to_object(first_socket), nullptr);  // replaced, not kept
  EXPECT_EQ(http.stream, 0);
  EXPECT_EQ(http.host, u"before");
  EXPECT_EQ(http.autoClose, 0);
  EXPECT_EQ(http.Get(u"x"), u"");
  EXPECT_EQ(http.Post(u"x", {u"a"}, {u"b"}), u"");
  EXPECT_EQ(http.Close(), 0);
  EXPECT_EQ(http.Close(), 0);
}

TEST(HttpClient, UrlEncodeKeepsTheSafeCharactersAndEscapesTheLowByteOfTheRest) {
  EXPECT_EQ(Thttp::UrlEncode(u"a b+c/\u00E9"), u"a%20b+c%2F%E9");
  EXPECT_EQ(Thttp::UrlEncode(u"09AZaz+-._"), u"09AZaz+-._");
  EXPECT_EQ(Thttp::UrlEncode(u"\u20AC~"), u"%AC%7E");
  EXPECT_EQ(Thttp::UrlEncode(u""), u"");
}

TEST(HttpClient, UrlDecodeReadsEitherCaseAndLeavesPlusAlone) {
  EXPECT_EQ(Thttp::UrlDecode(u"%2F"), u"/");
  EXPECT_EQ(Thttp::UrlDecode(u"%2f"), u"/");
  EXPECT_EQ(Thttp::UrlDecode(u"/"), u"/");
  EXPECT_EQ(Thttp::UrlDecode(u"a+b"), u"a+b");
  EXPECT_EQ(Thttp::UrlDecode(u"%E9%41"), u"\u00E9A");
  EXPECT_EQ(Thttp::UrlDecode(Thttp::UrlEncode(u"a b&c=\u00FF")), u"a b&c=\u00FF");
}

TEST(HttpClient, UrlDecodeKeepsAPercentWithoutTwoHexDigits) {
  EXPECT_EQ(Thttp::UrlDecode(u"%"), u"%");
  EXPECT_EQ(Thttp::UrlDecode(u"a%4"), u"a%4");
  EXPECT_EQ(Thttp::UrlDecode(u"%G1%41"), u"%G1A");
  EXPECT_EQ(Thttp::UrlDecode(u"%%41"), u"%A");
  EXPECT_EQ(Thttp::UrlDecode(u"100%"), u"100%");
}

}  // namespace
