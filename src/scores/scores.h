// Scores and the online score board: the score record and file, the text
// scrambler, the score list panels and the HTTP/1.0 client.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace scores {

// ---------------------------------------------------------------------------
// Score record and score file
// ---------------------------------------------------------------------------

struct Scores : platform::Object {
  int64_t Score = 0;
  int64_t Timestamp = 0;
  int32_t Badges = 0;
  Text Name;
  int32_t Best[31] = {};
  int32_t Level = 0;
  int32_t GameMode = 0;
  int32_t GameFlags = 0;
  int32_t Quit = 0;
  // other.Timestamp - Timestamp cut to 32 bits: an ascending sort puts the
  // newest first. 1 when other is not a score record.
  int32_t Compare(const platform::Object& other) const override;
};

extern platform::List<Scores> ScoreList;
extern platform::List<Scores> SecondScoreList;
extern std::shared_ptr<Scores> ScoreSlots[50];
extern Text OnlineName;
extern Text OnlinePassword;
extern const Text ScoreHeaderKey;
extern const Text ScoreFieldSeparator;

int32_t LoadScoreFile();
int32_t SaveScoreFile();
// Set by a load that found a score file it could not read (too large, or
// unreadable); the save then leaves that file as it is.
extern bool ScoreFileUnread;

// Puts every global of the scores back to its value at the start of a run:
// empty score lists and slots, no online name or password, no default
// scramble key yet, the panels unscrolled, the default server host.
void ResetScoresState();

// ---------------------------------------------------------------------------
// Text scrambler
// ---------------------------------------------------------------------------

extern const Text Tagline;
extern Text DefaultScrambleKey;

Text ScrambleText(const Text& text, const Text& key);
Text UnscrambleText(const Text& scrambled, const Text& key);
int32_t BuildDefaultScrambleKey();

// ---------------------------------------------------------------------------
// Score list panels
// ---------------------------------------------------------------------------

extern int32_t ScoreGraphScroll;
extern int32_t ScorePanelSelection;
extern std::shared_ptr<Scores> ScorePanelHighlight;

int32_t DrawScoreListPanel(int32_t x, int32_t w, int32_t mode, int32_t level, int32_t flags,
                           int32_t draw);
int32_t DrawSecondScoreListPanel(int32_t x, int32_t w, int32_t mode, int32_t level, int32_t flags,
                                 int32_t draw);

// ---------------------------------------------------------------------------
// HTTP client and online requests
// ---------------------------------------------------------------------------

class Thttp : public platform::Object {
 public:
  int32_t sock = 0;
  int32_t stream = 0;
  Text host;
  Text agent = u"PlumeThttp/1.0";
  int32_t autoClose = 0;

  int32_t Open(const Text& host_name, int32_t auto_close);
  Text Get(const Text& url);
  Text Post(const Text& url, const std::vector<Text>& keys, const std::vector<Text>& values);
  int32_t Close();
  static Text UrlEncode(const Text& text);
  static Text UrlDecode(const Text& text);
};

// The score server's host name (tests point it at a local server); it
// starts as a name that never resolves, since no real server exists.
extern const Text DefaultScoreServerHost;
extern Text ScoreServerHost;

Text UploadOnlineScore(const Text& input);
Text LoginOnlineBoard(const Text& input);
Text FetchOnlineTable(const Text& input);
// The body the online requests return for a reply as Thttp::Get joins it:
// the text between the first and the next blank line, and so on alternately.
Text ExtractReplyBody(const Text& reply);

}  // namespace scores
