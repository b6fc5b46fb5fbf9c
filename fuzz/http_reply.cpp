// Feeds fuzzed bytes to the HTTP client as a server's reply through a stream
// in memory (no network), takes the body from the reply as the online
// requests do, and URL-decodes the bytes as text. The first byte picks the
// size of the pieces the reply arrives in, so lines also split across reads.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/stream.h"
#include "scores/scores.h"

namespace {

class ReplyStream : public platform::Stream {
 public:
  ReplyStream(std::string bytes, size_t piece)
      : Stream(true), bytes_(std::move(bytes)), piece_(piece) {}
  ~ReplyStream() override { Close(); }
  const std::string& written() const { return written_; }

 protected:
  size_t ReadRaw(char* out, size_t capacity) override {
    const size_t take = std::min({capacity, piece_, bytes_.size() - pos_});
    std::memcpy(out, bytes_.data() + pos_, take);
    pos_ += take;
    return take;
  }
  bool WriteRaw(const char* data, size_t size) override {
    written_.append(data, size);
    return true;
  }
  // The handle table keeps every stream alive, so give the bytes back here.
  bool CloseRaw() override {
    std::string().swap(bytes_);
    return true;
  }

 private:
  std::string bytes_;
  size_t pos_ = 0;
  size_t piece_;
  std::string written_;
};

const std::string kHead = "Host: h\nUser-Agent: PlumeThttp/1.0\n";
const std::string kGetRequest = "GET /x HTTP/1.0\n" + kHead + "\n\r\n";
const std::string kPostRequest = "POST /p HTTP/1.0\n" + kHead +
                                 "Content-Length: 3\nContent-Type: "
                                 "application/x-www-form-urlencoded\n\nk=v\r\n";

void Check(bool holds) {
  if (!holds) abort();
}

// Reply lines hold no CR and no 0 byte, and joining them adds nothing.
void CheckReply(const Text& reply, size_t reply_bytes) {
  Check(reply.size() <= reply_bytes);
  for (char16_t c : reply) Check(c != 13 && c != 0 && c < 256);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = size_t(64) << (data[0] % 8);
  const bool post = (data[0] & 8) != 0;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  auto stream = std::make_shared<ReplyStream>(bytes, piece);
  scores::Thttp http;
  http.stream = rt_handle_from_object(stream);
  http.host = u"h";
  http.autoClose = 1;
  const Text reply = post ? http.Post(u"p", {u"k"}, {u"v"}) : http.Get(u"x");
  Check(!stream->IsOpen());
  Check(stream->written() == (post ? kPostRequest : kGetRequest));
  CheckReply(reply, bytes.size());
  Check(scores::ExtractReplyBody(reply).size() <= reply.size());

  const Text text = platform::FromBytes(bytes);
  Check(scores::Thttp::UrlDecode(text).size() <= text.size());
  Check(scores::Thttp::UrlDecode(scores::Thttp::UrlEncode(text)) == text);
  return 0;
}
