#include "platform/system/listen_socket.h"

// The system's default is the behaviour wanted: nothing to set.
bool setListenSocketOptions(std::uintptr_t) { return true; }
