// A one-thread HTTP stand-in on port 80 of a loopback address of this test
// process's own (test processes run in parallel): it takes each request up to
// the CR LF that ends it, answers with fixed bytes and closes.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

namespace local_server {

// 127.<first>.a.b with a and b taken from the process id.
inline std::string LoopbackAddress(int first) {
  const int pid = static_cast<int>(::getpid());
  return "127." + std::to_string(first) + "." + std::to_string(pid / 250 % 250 + 1) + "." +
         std::to_string(pid % 250 + 1);
}

// Where servers listen; 127.1.x.y is never listened on.
inline Text ServerAddress() { return platform::FromUtf8(LoopbackAddress(0)); }
inline Text SilentAddress() { return platform::FromUtf8(LoopbackAddress(1)); }

class Server {
 public:
  // endless: after each request, send `reply` again and again until the
  // client goes away.
  explicit Server(std::string reply, bool endless = false)
      : reply_(std::move(reply)), endless_(endless) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(80);
    ::inet_pton(AF_INET, LoopbackAddress(0).c_str(), &address.sin_addr);
    listening_ = ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 ::listen(listener_, 4) == 0;
    if (listening_) thread_ = std::thread([this] { Serve(); });
  }
  ~Server() { Stop(); }

  bool listening() const { return listening_; }

  // Ends serving; afterwards the requests taken are complete.
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) ::close(listener_);
    listener_ = -1;
  }
  std::vector<std::string> Requests() {
    Stop();
    return requests_;
  }

 private:
  void Serve() {
    while (!stop_) {
      pollfd waiting{listener_, POLLIN, 0};
      if (::poll(&waiting, 1, 20) != 1) continue;
      const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
      requests_.push_back(ReadRequest(client));
      Answer(client);
      ::close(client);
    }
  }

  static std::string ReadRequest(int client) {
    std::string request;
    char buffer[4096];
    while (request.size() < 2 || request.compare(request.size() - 2, 2, "\r\n") != 0) {
      pollfd waiting{client, POLLIN, 0};
      if (::poll(&waiting, 1, 5000) != 1) break;
      const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      request.append(buffer, size_t(got));
    }
    return request;
  }

  void Answer(int client) const {
    do {
      if (!SendAll(client, reply_)) return;
    } while (endless_ && !stop_);
  }

  static bool SendAll(int client, const std::string& bytes) {
    for (size_t sent = 0; sent < bytes.size();) {
      const ssize_t put = ::send(client, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (put <= 0) return false;
      sent += size_t(put);
    }
    return true;
  }

  std::string reply_;
  bool endless_;
  int listener_ = -1;
  bool listening_ = false;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::vector<std::string> requests_;
};

}  // namespace local_server
