// A minimal blocking HTTP/1.0 client: one GET or form POST per connection,
// the whole reply read until the server closes, plus URL encoding.
#include "scores.h"

namespace scores {

namespace {

constexpr int32_t kHttpPort = 80;
const Text kLineFeed = u"\n";

// The score board's replies are short texts. A reply longer than this, in
// whatever lines, is a failed request rather than a cut one: a server that
// sends without end must not exhaust memory, nor pass off part of a reply
// as the whole.
constexpr size_t kLongestReply = size_t(1) << 22;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool IsLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

bool PassesUnencoded(char16_t c) {
  return IsDigit(c) || IsLetter(c) || c == u'+' || c == u'-' || c == u'.' || c == u'_';
}

// The digit's value, or -1 when c is no hexadecimal digit.
int32_t HexDigitValue(char16_t c) {
  if (IsDigit(c)) return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// The code of the escape "%" + two hexadecimal digits starting at i, or -1
// when there is none.
int32_t EscapedCode(const Text& text, size_t i) {
  if (text[i] != u'%' || i + 2 >= text.size()) return -1;
  const int32_t high = HexDigitValue(text[i + 1]);
  const int32_t low = HexDigitValue(text[i + 2]);
  return high >= 0 && low >= 0 ? high * 16 + low : -1;
}

Text RequestHead(const Text& method, const Text& url, const Thttp& http) {
  return method + u" /" + url + u" HTTP/1.0" + kLineFeed + u"Host: " + http.host + kLineFeed +
         u"User-Agent: " + http.agent + kLineFeed;
}

// The reply's lines joined by LF (CR LF and LF ends read alike), without an
// LF after the last; "" for a reply longer than kLongestReply bytes, as for
// a server that cannot be reached.
Text ReadReply(int32_t stream) {
  Text reply;
  size_t taken = 0;
  while (fw_stream_eof(stream) == 0) {
    reply += platform::ReadLineWithin(stream, kLongestReply + 1 - taken, taken) + kLineFeed;
    if (taken > kLongestReply) return Text();
  }
  if (!reply.empty()) reply.pop_back();
  return reply;
}

// One write of the whole request (the stream appends CR LF), then the reply.
Text Exchange(Thttp& http, const Text& request) {
  fw_write_line(http.stream, request);
  Text reply = ReadReply(http.stream);
  if (http.autoClose == 1) http.Close();
  return reply;
}

Text FormBody(const std::vector<Text>& keys, const std::vector<Text>& values) {
  Text body;
  for (size_t i = 0; i < keys.size(); ++i) {
    const Text value = i < values.size() ? values[i] : Text();
    body += Thttp::UrlEncode(keys[i]) + u"=" + Thttp::UrlEncode(value) + u"&";
  }
  if (!body.empty()) body.pop_back();
  return body;
}

}  // namespace

// An earlier socket and stream are let go as they are replaced; a stream
// kept after a failed connect keeps its own socket until it is closed.
int32_t Thttp::Open(const Text& host_name, int32_t auto_close) {
  rt_replace_handle(sock, fw_create_tcp_socket());
  if (fw_connect_socket(sock, fw_host_ip(host_name, 0), kHttpPort) == 0) return 0;
  host = host_name;
  rt_replace_handle(stream, fw_create_socket_stream(sock, 1));
  autoClose = auto_close;
  return 1;
}

// Without a successful Open there is no stream: the write fails, the stream
// reads as ended, and the reply is "".
Text Thttp::Get(const Text& url) {
  return Exchange(*this, RequestHead(u"GET", url, *this) + kLineFeed);
}

Text Thttp::Post(const Text& url, const std::vector<Text>& keys, const std::vector<Text>& values) {
  const Text body = FormBody(keys, values);
  const Text request = RequestHead(u"POST", url, *this) + u"Content-Length: " +
                       rt_string_from_int(static_cast<int32_t>(body.size())) + kLineFeed +
                       u"Content-Type: application/x-www-form-urlencoded" + kLineFeed + kLineFeed +
                       body;
  return Exchange(*this, request);
}

int32_t Thttp::Close() {
  if (stream != 0) fw_close_stream(stream);
  if (sock != 0) fw_close_socket(sock);
  return 0;
}

Text Thttp::UrlEncode(const Text& text) {
  Text encoded;
  for (char16_t c : text) {
    if (PassesUnencoded(c))
      encoded += c;
    else
      encoded += u"%" + fw_right(fw_hex(c), 2);
  }
  return encoded;
}

// A "%" without two hexadecimal digits behind it is kept as it is.
Text Thttp::UrlDecode(const Text& text) {
  Text decoded;
  size_t i = 0;
  while (i < text.size()) {
    const int32_t code = EscapedCode(text, i);
    if (code >= 0) {
      decoded += static_cast<char16_t>(code);
      i += 3;
    } else {
      decoded += text[i];
      i += 1;
    }
  }
  return decoded;
}

}  // namespace scores
