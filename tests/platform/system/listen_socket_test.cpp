// A listening socket's port as a Windows listener's without options: a
// second listener fails to bind it, a server started again binds it at once.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/system/listen_socket.h"

namespace {

sockaddr_in loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return address;
}

// A socket with the options, bound to 127.0.0.1:port and listening; -1
// with errno when the bind failed.
int listener(uint16_t port) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  EXPECT_TRUE(setListenSocketOptions(static_cast<std::uintptr_t>(s)));
  sockaddr_in address = loopback(port);
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 4) != 0) {
    const int error = errno;
    close(s);
    errno = error;
    return -1;
  }
  return s;
}

uint16_t portOf(int s) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

TEST(ListenSocket, ASecondListenerOnTheSamePortFailsToBind) {
  const int first = listener(0);
  ASSERT_GE(first, 0);
  const uint16_t port = portOf(first);
  errno = 0;
  const int second = listener(port);
  EXPECT_EQ(second, -1);
  EXPECT_EQ(errno, EADDRINUSE);
  if (second >= 0) close(second);
  close(first);
}

TEST(ListenSocket, AServerStartedAgainBindsWhileItsClosedConnectionLingers) {
  const int server = listener(0);
  ASSERT_GE(server, 0);
  const uint16_t port = portOf(server);
  const int client = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = loopback(port);
  ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const int accepted = accept(server, nullptr, nullptr);
  ASSERT_GE(accepted, 0);
  // The server closes first: its side of the connection stays in TIME_WAIT.
  close(accepted);
  char byte;
  EXPECT_EQ(read(client, &byte, 1), 0);
  close(client);
  close(server);

  const int again = listener(port);
  EXPECT_GE(again, 0) << "errno " << errno;
  if (again >= 0) close(again);
}

}  // namespace
