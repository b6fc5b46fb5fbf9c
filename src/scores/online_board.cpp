// The online score board: score upload, login and table fetch, each one
// HTTP/1.0 GET to the score server returning the reply's body.
#include "engine/engine.h"
#include "scores.h"

namespace scores {

// The reserved top-level domain never resolves.
const Text DefaultScoreServerHost = u"scores.quill-retro.invalid";
Text ScoreServerHost = DefaultScoreServerHost;

namespace {

// Characters the server's paths and tables cannot hold; each becomes "_".
const Text kForbiddenCharacters = u"*\"'-+&?{}[]~#\\/:;";
constexpr size_t kShortestCredential = 4;
const Text kWrongPassword = u"WRONG PASSWORD";

void Clean(Text& credential) {
  for (char16_t& c : credential)
    if (kForbiddenCharacters.find(c) != Text::npos) c = u'_';
}

void CleanCredentials() {
  Clean(OnlineName);
  Clean(OnlinePassword);
}

bool CredentialsTooShort() {
  return OnlineName.size() < kShortestCredential || OnlinePassword.size() < kShortestCredential;
}

Text Week() { return rt_string_from_int(engine::WeekNumber); }

// One connection, one GET, closed again; "" when the server is unreachable.
Text RequestBody(const Text& path) {
  Thttp http;
  const Text reply = http.Open(ScoreServerHost, 0) == 1 ? http.Get(path) : Text();
  http.Close();
  return ExtractReplyBody(reply);
}

Text CheckedRequestBody(const Text& path) {
  CleanCredentials();
  if (CredentialsTooShort()) return kWrongPassword;
  return RequestBody(path);
}

}  // namespace

Text ExtractReplyBody(const Text& reply) {
  Text body;
  bool inside = false;
  const size_t n = reply.size();
  for (size_t i = 0; i < n; ++i) {
    if (i + 1 < n && reply[i] == u'\n' && reply[i + 1] == u'\n') {
      inside = !inside;
      i += 2;
    }
    if (inside && i < n) body += reply[i];
  }
  return body;
}

Text UploadOnlineScore(const Text& input) {
  return CheckedRequestBody(u"/enscore/scores.php?Week=" + Week() + u"&Input=" + input);
}

Text LoginOnlineBoard(const Text& input) {
  return CheckedRequestBody(u"/enscore/login.php?week=" + Week() + u"&input=" + input);
}

Text FetchOnlineTable(const Text& input) {
  CleanCredentials();
  return RequestBody(u"/enscore/tables/" + Week() + u"/" + input + u".txt");
}

}  // namespace scores
