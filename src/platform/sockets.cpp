// POSIX TCP sockets and the line streams over them. Every call blocks, but
// connects, reads and writes are bounded by time-outs so that a silent peer
// never hangs the frame loop.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform.h"
#include "stream.h"

namespace platform {

namespace {

constexpr int32_t kDefaultConnectTimeoutMs = 10000;
constexpr int32_t kDefaultTransferTimeoutMs = 20000;
int32_t connect_timeout_ms = kDefaultConnectTimeoutMs;
int32_t transfer_timeout_ms = kDefaultTransferTimeoutMs;

struct TcpSocket : Object {
  explicit TcpSocket(int descriptor) : fd(descriptor) {}
  ~TcpSocket() override { Close(); }
  void Close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  int fd;
};

void SetTransferTimeouts(int fd) {
  timeval limit{};
  limit.tv_sec = transfer_timeout_ms / 1000;
  limit.tv_usec = (transfer_timeout_ms % 1000) * 1000;
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

// Connects without blocking past the connect time-out.
bool ConnectWithTimeout(int fd, const sockaddr_in& address) {
  int flags = ::fcntl(fd, F_GETFL, 0);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return false;
  int result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  if (result != 0 && errno == EINPROGRESS) {
    pollfd waiting{fd, POLLOUT, 0};
    int ready;
    do {
      ready = ::poll(&waiting, 1, connect_timeout_ms);
    } while (ready < 0 && errno == EINTR);
    int error = 0;
    socklen_t size = sizeof error;
    result = ready == 1 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0
                 ? 0
                 : -1;
  }
  ::fcntl(fd, F_SETFL, flags);
  return result == 0;
}

class SocketStream : public Stream {
 public:
  SocketStream(std::shared_ptr<TcpSocket> socket, bool close_socket)
      : Stream(true), socket_(std::move(socket)), close_socket_(close_socket) {}
  ~SocketStream() override { Close(); }

 protected:
  size_t ReadRaw(char* out, size_t capacity) override {
    ssize_t got;
    do {
      got = ::recv(socket_->fd, out, capacity, 0);
    } while (got < 0 && errno == EINTR);
    return got > 0 ? size_t(got) : 0;
  }
  bool WriteRaw(const char* data, size_t size) override {
    while (size > 0) {
      ssize_t put = ::send(socket_->fd, data, size, MSG_NOSIGNAL);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      data += put;
      size -= size_t(put);
    }
    return true;
  }
  bool CloseRaw() override {
    if (close_socket_) socket_->Close();
    return true;
  }

 private:
  std::shared_ptr<TcpSocket> socket_;
  bool close_socket_;
};

}  // namespace

void SetSocketTimeouts(int32_t connect_ms, int32_t transfer_ms) {
  connect_timeout_ms = connect_ms;
  transfer_timeout_ms = transfer_ms;
}

void ResetSockets() { SetSocketTimeouts(kDefaultConnectTimeoutMs, kDefaultTransferTimeoutMs); }

}  // namespace platform

using platform::TcpSocket;

int32_t fw_create_tcp_socket() {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  platform::SetTransferTimeouts(fd);
  return rt_handle_from_object(std::make_shared<TcpSocket>(fd));
}

// The address is the IPv4 address as one integer, first octet highest.
int32_t fw_host_ip(const Text& host, int32_t index) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (index < 0 || ::getaddrinfo(platform::ToUtf8(host).c_str(), nullptr, &hints, &found) != 0)
    return 0;
  std::vector<uint32_t> addresses;
  for (addrinfo* entry = found; entry; entry = entry->ai_next) {
    auto* ipv4 = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
    addresses.push_back(ntohl(ipv4->sin_addr.s_addr));
  }
  ::freeaddrinfo(found);
  if (size_t(index) >= addresses.size()) return 0;
  return static_cast<int32_t>(addresses[size_t(index)]);
}

int32_t fw_connect_socket(int32_t socket, int32_t address, int32_t port) {
  auto tcp = platform::HandleTo<TcpSocket>(socket);
  if (!tcp || tcp->fd < 0 || address == 0 || port <= 0 || port > 65535) return 0;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<uint16_t>(port));
  target.sin_addr.s_addr = htonl(static_cast<uint32_t>(address));
  return platform::ConnectWithTimeout(tcp->fd, target) ? 1 : 0;
}

int32_t fw_create_socket_stream(int32_t socket, int32_t close_socket_with_stream) {
  auto tcp = platform::HandleTo<TcpSocket>(socket);
  if (!tcp || tcp->fd < 0) return 0;
  return rt_handle_from_object(
      std::make_shared<platform::SocketStream>(tcp, close_socket_with_stream != 0));
}

void fw_close_socket(int32_t socket) {
  if (auto tcp = platform::HandleTo<TcpSocket>(socket)) {
    tcp->Close();
    rt_release_handle(socket);
  }
}
