#include "platform/system/listen_socket.h"

#include <sys/socket.h>

bool setListenSocketOptions(std::uintptr_t socket) {
  const int yes = 1;
  return setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) == 0;
}
