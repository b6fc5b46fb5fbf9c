#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "platform/platform.h"
#include "platform/platform_stage.h"
#include "platform/stream.h"

namespace {

// A one-connection server on 127.0.0.1 run by a thread of the test.
class LoopbackServer {
 public:
  LoopbackServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 1);
    socklen_t size = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
  }
  ~LoopbackServer() {
    if (thread_.joinable()) thread_.join();
    ::close(listener_);
  }
  int32_t port() const { return port_; }
  // Accepts one client, reads until `until` arrived, answers, then closes
  // unless asked to stay silent until the client goes.
  void Serve(std::string until, std::string answer, bool stay_open = false) {
    thread_ = std::thread([this, until, answer, stay_open] {
      int client = ::accept(listener_, nullptr, nullptr);
      timeval limit{5, 0};  // never outlive a failed test for long
      ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
      char byte;
      while (received.find(until) == std::string::npos && ::recv(client, &byte, 1, 0) == 1)
        received += byte;
      ::send(client, answer.data(), answer.size(), 0);
      if (stay_open)
        while (::recv(client, &byte, 1, 0) > 0) {
        }
      ::close(client);
    });
  }
  std::string received;

 private:
  int listener_;
  int32_t port_ = 0;
  std::thread thread_;
};

const int32_t kLoopback = 0x7F000001;

}  // namespace

class Sockets : public platform_stage::PlatformCase {};

TEST_F(Sockets, HostLookupGivesIpv4AsOneInteger) {
  EXPECT_EQ(fw_host_ip(u"127.0.0.1", 0), kLoopback);
  EXPECT_EQ(fw_host_ip(u"10.1.2.3", 0), 0x0A010203);
  EXPECT_EQ(fw_host_ip(u"127.0.0.1", 1), 0);
  EXPECT_EQ(fw_host_ip(u"127.0.0.1", -1), 0);
}

TEST_F(Sockets, LineStreamSendsOneLineAndReadsUntilThePeerCloses) {
  LoopbackServer server;
  server.Serve("\r\n", "HTTP/1.0 200 OK\r\nX: y\n\nbody\xFF");
  int32_t socket = fw_create_tcp_socket();
  ASSERT_NE(socket, 0);
  ASSERT_EQ(fw_connect_socket(socket, fw_host_ip(u"127.0.0.1", 0), server.port()), 1);
  int32_t stream = fw_create_socket_stream(socket, 1);
  ASSERT_NE(stream, 0);
  EXPECT_EQ(fw_write_line(stream, u"GET //x HTTP/1.0\nHost: h\n"), 1);
  Text reply;
  while (!fw_stream_eof(stream)) reply += fw_read_line(stream) + u"\n";
  EXPECT_EQ(reply, u"HTTP/1.0 200 OK\nX: y\n\nbody\u00FF\n");
  fw_close_stream(stream);
  EXPECT_EQ(server.received, "GET //x HTTP/1.0\nHost: h\n\r\n");
}

TEST_F(Sockets, RefusedConnectionsAndBadHandlesFail) {
  // A port bound but not listening refuses, and stays ours while we try.
  int bound = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(bound, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t size = sizeof address;
  ::getsockname(bound, reinterpret_cast<sockaddr*>(&address), &size);
  int32_t socket = fw_create_tcp_socket();
  EXPECT_EQ(fw_connect_socket(socket, kLoopback, ntohs(address.sin_port)), 0);
  ::close(bound);
  EXPECT_EQ(fw_connect_socket(socket, 0, 80), 0);
  EXPECT_EQ(fw_connect_socket(0, kLoopback, 80), 0);
  EXPECT_EQ(fw_create_socket_stream(0, 1), 0);
  fw_close_socket(socket);
  EXPECT_EQ(fw_create_socket_stream(socket, 1), 0);
}

TEST_F(Sockets, ASilentPeerEndsTheStreamAfterTheTimeOut) {
  platform::SetSocketTimeouts(2000, 200);
  LoopbackServer server;
  server.Serve("\r\n", "partial", true);
  int32_t socket = fw_create_tcp_socket();
  ASSERT_EQ(fw_connect_socket(socket, kLoopback, server.port()), 1);
  int32_t stream = fw_create_socket_stream(socket, 0);
  fw_write_line(stream, u"hello");
  EXPECT_EQ(fw_read_line(stream), u"partial");
  EXPECT_EQ(fw_stream_eof(stream), 1);
  fw_close_stream(stream);
  fw_close_socket(socket);  // the stream left it open; closing it lets the server go
}
