// The options of a listening socket, set before it is bound, so that its
// port behaves as a Windows listener's does without options: a second
// server on the same address and port fails to bind (it neither shares the
// port nor takes it over), and a server started again binds at once, while
// connections of the one before still linger in TIME_WAIT.
//
// Windows gives both without options (SO_REUSEADDR there would let a second
// socket take the port over). Here SO_REUSEADDR gives the second; SO_REUSEPORT,
// which would let a second process listen beside the first and receive part
// of the connections, is never set.
#pragma once

#include <cstdint>

// `socket` is the socket's descriptor (a SOCKET on Windows). True when every
// option took.
bool setListenSocketOptions(std::uintptr_t socket);
