// Files, folders and streams. Paths are relative to the current folder and
// use "/"; names cross the OS boundary as UTF-8.
#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <string_view>
#include <vector>

#include "platform.h"
#include "stream.h"

namespace platform {

namespace {
constexpr size_t kBufferSize = 64 * 1024;
}

bool Stream::Fill() {
  if (in_pos_ < in_end_) return true;
  if (!open_ || source_ended_) return false;
  // Sized once: a source that delivers a few bytes at a time must not pay for
  // clearing the whole buffer on every read.
  if (in_.size() != kBufferSize) in_.resize(kBufferSize);
  size_t got = ReadRaw(in_.data(), in_.size());
  in_end_ = got;
  in_pos_ = 0;
  if (got == 0) source_ended_ = true;
  return got > 0;
}

bool Stream::AtEnd() { return !Fill(); }

Text Stream::ReadLine() {
  size_t taken = 0;
  return ReadLine(SIZE_MAX, taken);
}

Text Stream::ReadLine(size_t most_bytes, size_t& taken) {
  Text line;
  size_t left = most_bytes;
  while (left > 0 && Fill()) {
    const char* data = in_.data();
    size_t end = in_pos_ + std::min(left, in_end_ - in_pos_);
    size_t start = in_pos_;
    for (size_t i = start; i < end; ++i) {
      unsigned char byte = static_cast<unsigned char>(data[i]);
      if (byte == 10 || byte == 0) {
        in_pos_ = i + 1;
        taken += in_pos_ - start;
        return line;
      }
      if (byte != 13) line += char16_t(byte);
    }
    in_pos_ = end;
    taken += end - start;
    left -= end - start;
  }
  return line;
}

size_t Stream::ReadBytes(char* out, size_t count) {
  size_t done = 0;
  while (done < count && Fill()) {
    size_t take = std::min(count - done, in_end_ - in_pos_);
    std::memcpy(out + done, in_.data() + in_pos_, take);
    in_pos_ += take;
    done += take;
  }
  return done;
}

bool Stream::Write(const char* data, size_t size) {
  if (!open_) {
    write_failed_ = true;  // bytes after the close are missing from the file too
    return false;
  }
  out_.append(data, size);
  if (flush_every_write_ || out_.size() >= kBufferSize) return Flush();
  return true;
}

bool Stream::Flush() {
  if (out_.empty()) return true;
  bool written = open_ && WriteRaw(out_.data(), out_.size());
  out_.clear();
  if (!written) write_failed_ = true;
  return written;
}

void Stream::Close() {
  if (!open_) return;
  Flush();
  open_ = false;
  // Handles keep closed streams alive, so give their buffers back now.
  std::string().swap(in_);
  in_end_ = 0;
  std::string().swap(out_);
  in_pos_ = 0;
  if (!CloseRaw()) write_failed_ = true;
}

namespace {

class MemoryStream : public Stream {
 public:
  explicit MemoryStream(std::string bytes) : Stream(false), bytes_(std::move(bytes)) {}
  ~MemoryStream() override { Close(); }

 protected:
  size_t ReadRaw(char* out, size_t capacity) override {
    size_t take = std::min(capacity, bytes_.size() - pos_);
    std::memcpy(out, bytes_.data() + pos_, take);
    pos_ += take;
    return take;
  }
  bool WriteRaw(const char* data, size_t size) override {
    written_.append(data, size);
    return true;
  }
  bool CloseRaw() override { return true; }

 private:
  std::string bytes_;
  size_t pos_ = 0;
  std::string written_;
};

// Reads up to `capacity` bytes: how many, 0 at the end, -1 on failure.
ssize_t ReadSome(int fd, void* out, size_t capacity) {
  ssize_t got;
  do {
    got = read_from_disk(fd, out, capacity);
  } while (got < 0 && errno == EINTR);
  return got;
}

// A file being written; files are read whole, before any of it is used. A
// file being saved reaches the disk before it closes: a power cut after its
// rename must not find it empty.
class FileStream : public Stream {
 public:
  enum class Flush { kNo, kToDisk };
  FileStream(int fd, Flush flush) : Stream(false), fd_(fd), flush_(flush) {}
  ~FileStream() override { Close(); }

 protected:
  size_t ReadRaw(char*, size_t) override { return 0; }
  bool WriteRaw(const char* data, size_t size) override {
    while (size > 0) {
      ssize_t put = ::write(fd_, data, size);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      data += put;
      size -= size_t(put);
    }
    return true;
  }
  bool CloseRaw() override {
    const bool flushed = flush_ == Flush::kNo || flush_to_disk(fd_) == 0;
    return ::close(fd_) == 0 && flushed;
  }

 private:
  int fd_;
  Flush flush_;
};

// A folder's entries, taken when the listing is opened.
struct Listing : Object {
  std::vector<std::string> names;
  size_t next = 0;
};

std::string OsPath(const Text& path) { return ToUtf8(path); }

// The regular file at `os_path` opened with `flags`, or -1; `size` is its
// size once open. Anything else is never opened, since opening a device may
// do something of its own, and the open never waits (on a FIFO it would
// wait for the other end); for a regular file not blocking changes nothing.
// What was opened is looked at again, as the name may have changed meanwhile.
int OpenRegularFile(const std::string& os_path, int flags, size_t most_bytes, size_t& size) {
  struct stat info {};
  if (::stat(os_path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return -1;
  int fd = ::open(os_path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || uint64_t(info.st_size) > most_bytes) {
    ::close(fd);
    return -1;
  }
  size = size_t(info.st_size);
  return fd;
}

// A link or a file with a second name: a write through it lands in a file
// that is not only this name's.
bool IsSharedName(const struct stat& info) {
  return S_ISLNK(info.st_mode) || (S_ISREG(info.st_mode) && info.st_nlink > 1);
}

// A file to write, new and empty, that is this name's alone. A link in its
// place is never followed, since it may lead to any file the user can
// write, and a file with a second name is never emptied through this one:
// the name is removed and a file of the program's own made in its place.
// A folder, FIFO, socket or device stays, as someone put it there on purpose
// and removing it could lose more than a log; the open fails. The file made
// is looked at again, as the name may have changed meanwhile.
int OpenFileToWrite(const std::string& os_path) {
  struct stat info {};
  int only_new = 0;
  if (::lstat(os_path.c_str(), &info) == 0) {
    if (IsSharedName(info)) {
      if (::unlink(os_path.c_str()) != 0) return -1;
      only_new = O_EXCL;
    } else if (!S_ISREG(info.st_mode)) {
      return -1;
    }
  }
  int fd =
      ::open(os_path.c_str(),
             O_WRONLY | O_CREAT | only_new | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  if (::fstat(fd, &info) != 0 || IsSharedName(info) || !S_ISREG(info.st_mode) ||
      ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Every byte up to the end, unless there are more than `most_bytes` or a
// read fails: a failing disk must not pass for the end of the file. Room for
// the `expected` bytes and one more reads a file that kept its size in one
// go, and no more than that is kept.
template <typename Bytes>
bool ReadToEnd(int fd, size_t expected, size_t most_bytes, Bytes& bytes) {
  size_t room = expected + 1;
  for (;;) {
    size_t had = bytes.size();
    if (had == room) room = std::min(std::max(room * 2, kBufferSize), most_bytes + 1);
    bytes.resize(room);
    const ssize_t got = ReadSome(fd, bytes.data() + had, room - had);
    bytes.resize(had + size_t(std::max<ssize_t>(got, 0)));
    if (got <= 0) return got == 0;
    if (bytes.size() > most_bytes) return false;
  }
}

template <typename Bytes>
std::optional<Bytes> ReadWholeFile(const std::string& os_path, size_t most_bytes) {
  size_t size = 0;
  int fd = OpenRegularFile(os_path, O_RDONLY, most_bytes, size);
  if (fd < 0) return std::nullopt;
  Bytes bytes;
  bool whole = ReadToEnd(fd, size, most_bytes, bytes);
  ::close(fd);
  if (!whole) return std::nullopt;
  return bytes;
}

}  // namespace

int (*flush_to_disk)(int fd) = ::fsync;
ssize_t (*read_from_disk)(int fd, void* out, size_t capacity) = ::read;
int (*rename_no_replace)(const char* from, const char* to) = [](const char* from, const char* to) {
  return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
};
int (*hard_link)(const char* from, const char* to) = ::link;

StreamRef MakeMemoryStream(std::string bytes) {
  return std::make_shared<MemoryStream>(std::move(bytes));
}

std::optional<std::vector<uint8_t>> ReadOutsideFile(const std::string& os_path, size_t most_bytes) {
  return ReadWholeFile<std::vector<uint8_t>>(os_path, most_bytes);
}

}  // namespace platform

using platform::HandleTo;
using platform::Stream;

int32_t fw_change_dir(const Text& path) {
  std::string os_path = platform::OsPath(path);
  while (os_path.size() > 1 && os_path.back() == '/') os_path.pop_back();
  if (os_path.empty()) return 0;
  return ::chdir(os_path.c_str()) == 0 ? 1 : 0;
}

Text fw_current_dir() {
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return Text();
    buffer.resize(buffer.size() * 2);
  }
  return platform::FromUtf8(buffer.data());
}

int32_t fw_create_dir(const Text& path) {
  ::mkdir(platform::OsPath(path).c_str(), 0777);
  return fw_file_type(path) == 2 ? 1 : 0;
}

// Only what can be read as a file is a file; a FIFO, socket or device is
// something else again.
int32_t fw_file_type(const Text& path) {
  struct stat info {};
  if (::stat(platform::OsPath(path).c_str(), &info) != 0) return 0;
  if (S_ISDIR(info.st_mode)) return 2;
  return S_ISREG(info.st_mode) ? 1 : 3;
}

int32_t fw_delete_file(const Text& path) {
  ::unlink(platform::OsPath(path).c_str());
  return fw_file_type(path) == 0 ? 1 : 0;
}

int32_t fw_rename_file(const Text& from, const Text& to) {
  return std::rename(platform::OsPath(from).c_str(), platform::OsPath(to).c_str()) == 0 ? 1 : 0;
}

namespace platform {

namespace {

// Ends in neither ".png" nor ".dat", so that no folder scan takes a
// half-written file for a finished one.
constexpr char kTemporaryPrefix[] = ".saving-";
// Names are random, so that no number of leftovers can use them up; a clash
// is rare, and a few more tries make it never matter.
constexpr int32_t kTemporaryAttempts = 64;
// A save writes for well under a second, so a temporary dated this far from
// now belongs to no save still running, in this run or another; dated ahead
// by as much, it was made before the clock was set back.
constexpr time_t kLeftoverSeconds = 10 * 60;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// What a save finds where it goes.
struct SaveTarget {
  // A folder, or a file that the user made read-only or that this process
  // may not write, which the rename would replace without asking. A file
  // with no write bit stays for root too, whom the access check lets write
  // anything.
  bool must_stay = false;
  // The permission bits of the regular file there, for the file that
  // replaces it, so that a file the user kept private stays private; none
  // where no such file stands, and the folder's default applies.
  std::optional<uint32_t> mode;
};

// A link, FIFO, socket or device is replaced by the rename, never followed.
SaveTarget LookAtTarget(const std::string& target) {
  const SaveTarget must_stay{true, std::nullopt}, no_file{false, std::nullopt};
  struct stat info {};
  if (::lstat(target.c_str(), &info) != 0) return errno == ENOENT ? no_file : must_stay;
  if (S_ISDIR(info.st_mode)) return must_stay;
  if (!S_ISREG(info.st_mode)) return no_file;
  if ((info.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
    return must_stay;
  return {false, info.st_mode & 0777};
}

// The names saves give their temporaries: the prefix and eight hexadecimal
// digits, or, from earlier versions, the prefix and a decimal number. Any
// other name with the prefix is a user's file.
bool IsTemporaryName(std::string_view name) {
  const std::string_view prefix = kTemporaryPrefix;
  if (!name.starts_with(prefix) || name.size() == prefix.size()) return false;
  const std::string_view rest = name.substr(prefix.size());
  const auto decimal = [](char c) { return c >= '0' && c <= '9'; };
  const auto hexadecimal = [&](char c) { return decimal(c) || (c >= 'a' && c <= 'f'); };
  return std::ranges::all_of(rest, decimal) ||
         (rest.size() == 8 && std::ranges::all_of(rest, hexadecimal));
}

bool IsLeftOver(time_t modified, time_t now) {
  return modified < now - kLeftoverSeconds || modified > now + kLeftoverSeconds;
}

const char* FolderName(const std::string& folder) { return folder.empty() ? "." : folder.c_str(); }

void RemoveLeftoverTemporaries(const std::string& folder) {
  DIR* dir = ::opendir(FolderName(folder));
  if (!dir) return;
  const time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsTemporaryName(entry->d_name)) continue;
    struct stat info {};
    if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(info.st_mode) && IsLeftOver(info.st_mtime, now)) {
      ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
  }
  ::closedir(dir);
}

// Drawn from the system, never from the program's own generator, whose
// sequence belongs to the sprites.
std::string RandomTemporaryName() {
  static uint32_t made = 0;
  uint32_t bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != ssize_t(sizeof bits)) {
    bits = uint32_t(::getpid()) ^ uint32_t(std::time(nullptr));
  }
  bits ^= ++made * 0x9E3779B9u;
  char name[sizeof kTemporaryPrefix + 8];
  std::snprintf(name, sizeof name, "%s%08x", kTemporaryPrefix, unsigned(bits));
  return name;
}

// A file made new at `path`, never anything already there, nor through a
// link; its descriptor, or -1 with errno EEXIST where the name is taken.
int CreateNewFile(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC,
                0666);
}

// A file made new in `folder`, so that nothing already there is opened; its
// descriptor, or -1.
int CreateTemporary(const std::string& folder, std::string& path) {
  for (int32_t attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    path = folder + RandomTemporaryName();
    const int fd = CreateNewFile(path);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// What a file system that lacks a way of moving a file says when asked.
bool IsRefused(int error) {
  return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EPERM ||
         error == EXDEV;
}

// The name is claimed by creating it, which every file system allows, and
// the finished file is renamed over the claim. Until that rename the name
// holds an empty file, so this is only for file systems that allow nothing
// better.
bool ClaimAndRenameOver(const std::string& from, const std::string& to) {
  const int claim = CreateNewFile(to);
  if (claim < 0) return false;
  ::close(claim);
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  const int why = errno;
  ::unlink(to.c_str());
  errno = why;
  return false;
}

// Moves `from` to `to` only where nothing has that name; errno tells why
// not. A rename that cannot replace, or else a second name given and the
// first taken away, leave the name free or holding the whole file whenever
// the run ends. Network shares and many FUSE file systems refuse both.
bool MoveToFreeName(const std::string& from, const std::string& to) {
  if (rename_no_replace(from.c_str(), to.c_str()) == 0) return true;
  if (!IsRefused(errno)) return false;
  if (hard_link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return true;
  }
  return IsRefused(errno) && ClaimAndRenameOver(from, to);
}

// So that a rename into the folder outlasts a power cut. A file system
// that cannot flush a folder has still made the move, so the save stands.
void FlushFolder(const std::string& folder) {
  const int fd = ::open(FolderName(folder), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

void FileBeingSaved::Open(const std::string& folder, std::optional<uint32_t> mode) {
  RemoveLeftoverTemporaries(folder);
  const int fd = CreateTemporary(folder, temporary_);
  if (fd >= 0 && (!mode || ::fchmod(fd, mode_t(*mode)) == 0)) {
    file_ = std::make_shared<FileStream>(fd, FileStream::Flush::kToDisk);
    return;
  }
  if (fd >= 0) {
    ::close(fd);
    ::unlink(temporary_.c_str());
  }
  temporary_.clear();
}

FileBeingSaved::~FileBeingSaved() {
  if (file_) file_->Close();
  if (stream_ != 0) rt_release_handle(stream_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

int32_t FileBeingSaved::Stream() {
  if (file_ && stream_ == 0) stream_ = rt_handle_from_object(file_);
  return stream_;
}

bool FileBeingSaved::Write(const void* bytes, size_t size) {
  return file_ && file_->Write(static_cast<const char*>(bytes), size);
}

bool FileBeingSaved::Finish() {
  if (!file_ || temporary_.empty()) return false;
  file_->Close();
  return !file_->WriteFailed();
}

void FileBeingSaved::Kept() {
  FlushFolder(FolderOf(temporary_));
  temporary_.clear();
}

PendingSave::PendingSave(const Text& target) : target_(OsPath(target)) {
  const SaveTarget there = LookAtTarget(target_);
  if (!there.must_stay) Open(FolderOf(target_), there.mode);
}

int32_t PendingSave::Commit() {
  if (!Finish() || std::rename(TemporaryPath().c_str(), target_.c_str()) != 0) return 0;
  Kept();
  return 1;
}

PendingNewFile::PendingNewFile(const Text& folder) { Open(OsPath(folder), std::nullopt); }

PendingNewFile::Result PendingNewFile::CommitAs(const Text& name) {
  if (!Finish()) return Result::kFailed;
  if (!MoveToFreeName(TemporaryPath(), OsPath(name)))
    return errno == EEXIST ? Result::kTaken : Result::kFailed;
  Kept();
  return Result::kSaved;
}

}  // namespace platform

int32_t fw_read_dir(const Text& path) {
  DIR* dir = ::opendir(platform::OsPath(path).c_str());
  if (!dir) return 0;
  auto listing = std::make_shared<platform::Listing>();
  while (const dirent* entry = ::readdir(dir)) listing->names.emplace_back(entry->d_name);
  ::closedir(dir);
  return rt_handle_from_object(listing);
}

Text fw_next_file(int32_t listing) {
  auto entries = HandleTo<platform::Listing>(listing);
  if (!entries || entries->next >= entries->names.size()) return Text();
  return platform::FromUtf8(entries->names[entries->next++]);
}

void fw_close_dir(int32_t listing) {
  if (HandleTo<platform::Listing>(listing)) rt_release_handle(listing);
}

// Read whole before any of it is given out, so that a file a read fails in
// is one that cannot be read, never one that ends early.
int32_t fw_read_file(const Text& path) {
  auto bytes =
      platform::ReadWholeFile<std::string>(platform::OsPath(path), platform::kMaxStreamFileBytes);
  return bytes ? rt_handle_from_object(platform::MakeMemoryStream(std::move(*bytes))) : 0;
}

int32_t fw_write_file(const Text& path) {
  const int fd = platform::OpenFileToWrite(platform::OsPath(path));
  if (fd < 0) return 0;
  return rt_handle_from_object(
      std::make_shared<platform::FileStream>(fd, platform::FileStream::Flush::kNo));
}

void fw_close_stream(int32_t stream) {
  if (auto open = HandleTo<Stream>(stream)) {
    open->Close();
    rt_release_handle(stream);
  }
}

void fw_close_file(int32_t stream) { fw_close_stream(stream); }

Text fw_read_line(int32_t stream) {
  auto open = HandleTo<Stream>(stream);
  return open ? open->ReadLine() : Text();
}

Text platform::ReadLineWithin(int32_t stream, size_t most_bytes, size_t& taken) {
  auto open = HandleTo<Stream>(stream);
  return open ? open->ReadLine(most_bytes, taken) : Text();
}

int32_t fw_write_line(int32_t stream, const Text& text) {
  auto open = HandleTo<Stream>(stream);
  if (!open) return 0;
  std::string bytes = platform::ToBytes(text);
  bytes += "\r\n";
  // Text files are line-buffered: a log must reach the disk line by line, or a
  // crash would lose all of it.
  return open->Write(bytes.data(), bytes.size()) && open->Flush() ? 1 : 0;
}

int32_t fw_stream_eof(int32_t stream) {
  auto open = HandleTo<Stream>(stream);
  return !open || open->AtEnd() ? 1 : 0;
}

// Little-endian whatever the host's byte order; a short read fills with 0.
int32_t fw_read_int(int32_t stream) {
  auto open = HandleTo<Stream>(stream);
  unsigned char bytes[4] = {0, 0, 0, 0};
  if (open) open->ReadBytes(reinterpret_cast<char*>(bytes), 4);
  uint32_t value =
      bytes[0] | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
  return static_cast<int32_t>(value);
}

int32_t fw_write_int(int32_t stream, int32_t value) {
  auto open = HandleTo<Stream>(stream);
  if (!open) return 0;
  uint32_t bits = static_cast<uint32_t>(value);
  char bytes[4] = {char(bits & 0xFF), char(bits >> 8 & 0xFF), char(bits >> 16 & 0xFF),
                   char(bits >> 24 & 0xFF)};
  return open->Write(bytes, 4) ? 1 : 0;
}
