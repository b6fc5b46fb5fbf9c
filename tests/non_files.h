// What can stand in a folder where a file is expected and is no file: a
// folder, a FIFO, a socket or a device.
#pragma once

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

enum class NonFile { kFolder, kFifo, kSocket, kDevice };

inline const char* NameOf(NonFile kind) {
  switch (kind) {
    case NonFile::kFolder:
      return "folder";
    case NonFile::kFifo:
      return "FIFO";
    case NonFile::kSocket:
      return "socket";
    case NonFile::kDevice:
      return "device";
  }
  return "?";
}

inline void MakeUnixSocket(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) throw std::runtime_error("socket path too long");
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  const bool bound =
      fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  if (fd >= 0) ::close(fd);
  if (!bound) throw std::runtime_error("cannot bind a socket at " + path);
}

// Replaces whatever is at `path` by a `kind`; the device is the null device,
// which would read as an empty file and take every write.
inline void MakeNonFile(const std::filesystem::path& path, NonFile kind) {
  std::filesystem::remove_all(path);
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  switch (kind) {
    case NonFile::kFolder:
      std::filesystem::create_directory(path);
      break;
    case NonFile::kFifo:
      if (::mkfifo(path.c_str(), 0666) != 0) throw std::runtime_error("mkfifo " + path.string());
      break;
    case NonFile::kSocket:
      MakeUnixSocket(path.string());
      break;
    case NonFile::kDevice:
      std::filesystem::create_symlink("/dev/null", path);
      break;
  }
}
