// Byte streams behind integer handles. Files, sockets and in-memory bytes
// share one buffered reader and writer, so the line rules live in one place.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform.h"

namespace platform {

class Stream : public Object {
 public:
  ~Stream() override = default;

  // True when no byte is left; may wait for the source (bounded for sockets).
  bool AtEnd();
  // Bytes up to a line feed or a 0 byte, carriage returns dropped; the end of
  // the stream also ends the line.
  Text ReadLine();
  // The same, taking at most `most_bytes` bytes of the stream (line end
  // included) and adding how many it took to `taken`, so that a reader can
  // bound what a peer sends even inside one line.
  Text ReadLine(size_t most_bytes, size_t& taken);
  // Fills `out` with up to `count` bytes; returns how many were read.
  size_t ReadBytes(char* out, size_t count);
  bool Write(const char* data, size_t size);
  bool Flush();
  // Whether any write so far failed: a file missing a block in the middle is
  // as broken as one missing its end, though later writes may succeed.
  bool WriteFailed() const { return write_failed_; }
  // Flushes and releases the source; later reads see the end.
  void Close();
  bool IsOpen() const { return open_; }

 protected:
  // Sockets flush after every write so that one write is one send.
  explicit Stream(bool flush_every_write) : flush_every_write_(flush_every_write) {}
  // Reads up to `capacity` bytes; 0 at the end, on failure or on a time-out.
  virtual size_t ReadRaw(char* out, size_t capacity) = 0;
  // Writes every byte; false on failure.
  virtual bool WriteRaw(const char* data, size_t size) = 0;
  // Releases the source; false when written bytes may not have all arrived
  // (a network file system reports write errors there), which then counts
  // as a failed write.
  virtual bool CloseRaw() = 0;

 private:
  bool Fill();

  std::string in_;
  size_t in_pos_ = 0;
  size_t in_end_ = 0;  // bytes of in_ that hold data
  std::string out_;
  bool open_ = true;
  bool source_ended_ = false;
  bool write_failed_ = false;
  bool flush_every_write_;
};

using StreamRef = std::shared_ptr<Stream>;

// A stream that reads the given bytes and then ends; writes are kept.
StreamRef MakeMemoryStream(std::string bytes);

// Files from outside (settings, presets, scores, songs, pictures, fonts,
// sounds) are read only as regular files: a folder, FIFO, socket or device in
// their place is a file that cannot be read, and no name in a folder can make
// a read wait or fail loudly. Each kind has a bound on the size that no real
// file of its kind reaches, so that no file can fill the memory either.

// Largest file fw_read_file reads.
constexpr size_t kMaxStreamFileBytes = size_t(16) << 20;

// The whole regular file at `os_path`, or nothing when it cannot be read
// whole (a read failed) or holds more than `most_bytes`.
std::optional<std::vector<uint8_t>> ReadOutsideFile(const std::string& os_path, size_t most_bytes);

// Flushes a file being saved to disk before it is moved into place: fsync,
// unless a test has put a failing disk's in its place.
extern int (*flush_to_disk)(int fd);
// Reads a file: read, unless a test has put a failing disk's in its place.
extern ssize_t (*read_from_disk)(int fd, void* out, size_t capacity);
// The two ways a finished file takes a free name, a rename that cannot
// replace and a hard link, unless a test has put a file system's that
// refuses them in their place.
extern int (*rename_no_replace)(const char* from, const char* to);
extern int (*hard_link)(const char* from, const char* to);

// Time-outs of socket connects and of each socket read or write.
void SetSocketTimeouts(int32_t connect_ms, int32_t transfer_ms);

}  // namespace platform
