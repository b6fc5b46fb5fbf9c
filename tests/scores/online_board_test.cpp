#include <gtest/gtest.h>

#include "fresh_start.h"
#include "local_server.h"
#include "scores/scores.h"

namespace {

const std::string kOkReply = "HTTP/1.0 200 OK\r\nServer: x\r\n\r\nOK\r\n";

class OnlineBoard : public ::testing::Test {
 protected:
  void SetUp() override {
    FreshStart();
    scores::ScoreServerHost = local_server::ServerAddress();
    scores::OnlineName = u"name";
    scores::OnlinePassword = u"pass";
  }

  static std::string RequestLine(const std::string& request) {
    return request.substr(0, request.find('\n'));
  }
};

TEST_F(OnlineBoard, UploadCleansTheNameAndRequestsTheScoresPath) {
  scores::OnlineName = u"a-b+c";
  local_server::Server server(kOkReply);
  EXPECT_EQ(scores::UploadOnlineScore(u"s&t"), u"OK");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(RequestLine(requests[0]), "GET //enscore/scores.php?Week=1&Input=s&t HTTP/1.0");
  EXPECT_EQ(scores::OnlineName, u"a_b_c");
}

TEST_F(OnlineBoard, LoginUsesLowerCaseKeysAndFetchTheTablesPath) {
  local_server::Server server(kOkReply);
  EXPECT_EQ(scores::LoginOnlineBoard(u"in"), u"OK");
  EXPECT_EQ(scores::FetchOnlineTable(u"top"), u"OK");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(RequestLine(requests[0]), "GET //enscore/login.php?week=1&input=in HTTP/1.0");
  EXPECT_EQ(RequestLine(requests[1]), "GET //enscore/tables/1/top.txt HTTP/1.0");
}

TEST_F(OnlineBoard, EverySeventeenForbiddenCharacterBecomesAnUnderscore) {
  scores::OnlineName = u"*\"'-+&?{}[]~#\\/:;a";
  scores::OnlinePassword = u"p@ss w.rd";
  local_server::Server server(kOkReply);
  scores::FetchOnlineTable(u"t");
  EXPECT_EQ(scores::OnlineName, u"_________________a");
  EXPECT_EQ(scores::OnlinePassword, u"p@ss w.rd");
}

TEST_F(OnlineBoard, ShortCredentialsAreRefusedWithoutAConnectionExceptForATable) {
  local_server::Server server(kOkReply);
  scores::OnlineName = u"abc";
  EXPECT_EQ(scores::UploadOnlineScore(u"s"), u"WRONG PASSWORD");
  EXPECT_EQ(scores::LoginOnlineBoard(u"s"), u"WRONG PASSWORD");
  scores::OnlineName = u"name";
  scores::OnlinePassword = u"abc";
  EXPECT_EQ(scores::LoginOnlineBoard(u"s"), u"WRONG PASSWORD");
  EXPECT_EQ(server.Requests().size(), 0u);

  local_server::Server table_server(kOkReply);
  EXPECT_EQ(scores::FetchOnlineTable(u"top"), u"OK");
  EXPECT_EQ(table_server.Requests().size(), 1u);
}

TEST_F(OnlineBoard, ANameOfForbiddenCharactersOnlyPassesOnceCleaned) {
  scores::OnlineName = u"****";
  local_server::Server server(kOkReply);
  EXPECT_EQ(scores::UploadOnlineScore(u"s"), u"OK");
  EXPECT_EQ(scores::OnlineName, u"____");
}

TEST_F(OnlineBoard, AnUnreachableServerGivesAnEmptyText) {
  scores::ScoreServerHost = local_server::SilentAddress();
  EXPECT_EQ(scores::UploadOnlineScore(u"s"), u"");
  EXPECT_EQ(scores::LoginOnlineBoard(u"s"), u"");
  EXPECT_EQ(scores::FetchOnlineTable(u"s"), u"");
}

TEST_F(OnlineBoard, TheBodyRunsFromTheFirstBlankLineToTheNext) {
  const std::pair<std::string, Text> cases[] = {
      {"HTTP/1.0 200 OK\r\nServer: x\r\n\r\nOK", u"OK"},
      {"HTTP/1.0 200 OK\n\na\n\nb\n", u"a"},
      {"HTTP/1.0 200 OK\n\na\nb", u"a\nb"},
      {"HTTP/1.0 404 Not Found\n\nmissing", u"missing"},
      {"HTTP/1.0 200 OK\nServer: x\n", u""},
      {"", u""},
  };
  for (const auto& [reply, body] : cases) {
    local_server::Server server(reply);
    EXPECT_EQ(scores::FetchOnlineTable(u"t"), body) << reply;
  }
}

TEST(ReplyBody, AlternatesAtEveryBlankLine) {
  EXPECT_EQ(scores::ExtractReplyBody(u"h\n\na\n\nb\n\nc"), u"ac");
  EXPECT_EQ(scores::ExtractReplyBody(u"h\n\n"), u"");
  EXPECT_EQ(scores::ExtractReplyBody(u"\n\n\nx"), u"\nx");
  EXPECT_EQ(scores::ExtractReplyBody(u"\n"), u"");
}

}  // namespace
