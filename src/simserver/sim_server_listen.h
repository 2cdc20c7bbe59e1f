#pragma once

#include <string>

#include "socket/stream_io.h"
#include "support/socket_system.h"

namespace lumora_usb_encoder::sim {

// The identity of the socket file we made, so that we remove ours and nobody else's.
struct SocketFile {
    std::string path;
    sockets::FileIdentity identity;
};

// Binds and listens on `path`. A socket file left by a server that died is replaced; a live
// server on it, or a file that is not a socket, is an error.
hid::wire::FileDescriptor listenUnix(const std::string& path, SocketFile& file, std::string& error);

// Removes the socket file when it is still the one listenUnix made.
void removeSocketFile(const SocketFile& file);

}  // namespace lumora_usb_encoder::sim
