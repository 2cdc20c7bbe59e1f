#include <winsock2.h>
//
#include <afunix.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "support/socket_system.h"
#include "support/windows_text.h"

namespace lumora_usb_encoder::sockets {

namespace {

// The reparse tag of a Unix socket's file (IO_REPARSE_TAG_AF_UNIX), which MinGW's headers lack.
constexpr DWORD kUnixSocketTag = 0x80000023;

// Winsock must be started once per process before the first socket call.
bool started() {
    static const bool ok = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ok;
}

SOCKET native(int socket) {
    return static_cast<SOCKET>(static_cast<uintptr_t>(static_cast<uint32_t>(socket)));
}

int ours(SOCKET socket) {
    return socket == INVALID_SOCKET ? kNone : static_cast<int>(socket);
}

bool makeNonBlocking(SOCKET socket) {
    u_long on = 1;
    return ioctlsocket(socket, FIONBIO, &on) == 0;
}

// The address holds the UTF-8 bytes of the path, as Windows expects.
bool unixAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

SOCKET streamSocket(int family) {
    return started() ? WSASocketW(family, SOCK_STREAM, 0, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT)
                     : INVALID_SOCKET;
}

}  // namespace

void close(int socket) {
    if (socket != kNone) {
        closesocket(native(socket));
    }
}

std::string lastError() {
    return windows::errorText(static_cast<DWORD>(WSAGetLastError()));
}

size_t maxUnixPathLength() {
    return sizeof(sockaddr_un::sun_path) - 1;
}

int connectUnix(const std::string& path, std::string& error) {
    sockaddr_un address{};
    if (!unixAddress(path, address)) {
        error = "socket path '" + path + "' is empty or too long";
        return kNone;
    }
    SOCKET socket = streamSocket(AF_UNIX);
    if (socket == INVALID_SOCKET) {
        error = "cannot connect to " + path + ": cannot create a socket: " + lastError();
        return kNone;
    }
    if (connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        !makeNonBlocking(socket)) {
        error = "cannot connect to " + path + ": " + lastError();
        closesocket(socket);
        return kNone;
    }
    return ours(socket);
}

int listenUnix(const std::string& path, int backlog, std::string& error) {
    sockaddr_un address{};
    if (!unixAddress(path, address)) {
        error = "socket path '" + path + "' is empty or longer than " +
                std::to_string(maxUnixPathLength()) + " bytes";
        return kNone;
    }
    SOCKET socket = streamSocket(AF_UNIX);
    if (socket == INVALID_SOCKET ||
        bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(socket, backlog) != 0) {
        error = "cannot listen on " + path + ": " + lastError();
        if (socket != INVALID_SOCKET) {
            closesocket(socket);
        }
        return kNone;
    }
    return ours(socket);
}

int accept(int listener) {
    SOCKET socket = ::accept(native(listener), nullptr, nullptr);
    if (socket != INVALID_SOCKET && !makeNonBlocking(socket)) {
        closesocket(socket);
        return kNone;
    }
    return ours(socket);
}

bool makeWakePair(int& readEnd, int& writeEnd) {
    // A loopback connection made through a listener that lives only for this call. Bound to the
    // loopback address alone, it is never reachable from another machine.
    SOCKET listener = streamSocket(AF_INET);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    SOCKET writer = INVALID_SOCKET;
    SOCKET reader = INVALID_SOCKET;
    if (listener != INVALID_SOCKET &&
        bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        listen(listener, 1) == 0 &&
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        writer = streamSocket(AF_INET);
        if (writer != INVALID_SOCKET &&
            connect(writer, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            reader = ::accept(listener, nullptr, nullptr);
        }
    }
    if (listener != INVALID_SOCKET) {
        closesocket(listener);
    }
    if (reader == INVALID_SOCKET || !makeNonBlocking(reader) || !makeNonBlocking(writer)) {
        for (SOCKET end : {reader, writer}) {
            if (end != INVALID_SOCKET) {
                closesocket(end);
            }
        }
        return false;
    }
    readEnd = ours(reader);
    writeEnd = ours(writer);
    return true;
}

void sendWake(int writeEnd) {
    char byte = 1;
    // A full buffer already says "wake up"; nothing is lost by a failed send.
    send(native(writeEnd), &byte, 1, 0);
}

void drainWakes(int readEnd) {
    char bytes[64];
    while (recv(native(readEnd), bytes, sizeof bytes, 0) > 0) {
    }
}

int waitFor(WaitEntry* entries, size_t count, int timeoutMs) {
    std::vector<WSAPOLLFD> polled(count);
    for (size_t i = 0; i < count; ++i) {
        polled[i].fd = native(entries[i].socket);
        polled[i].events = static_cast<SHORT>(entries[i].forWriting ? POLLWRNORM : POLLRDNORM);
    }
    int ready = WSAPoll(polled.data(), static_cast<ULONG>(count), timeoutMs);
    for (size_t i = 0; i < count; ++i) {
        entries[i].ready = ready > 0 && polled[i].revents != 0;
    }
    return ready == SOCKET_ERROR ? -1 : ready;
}

bool hungUp(int socket) {
    // WSAPoll wants some event asked for; the hang-up and error bits come back regardless.
    WSAPOLLFD entry{native(socket), POLLWRNORM, 0};
    return WSAPoll(&entry, 1, 0) > 0 && (entry.revents & (POLLHUP | POLLERR)) != 0;
}

Io sendSome(int socket, const char* data, size_t size, size_t& moved) {
    int n = send(native(socket), data, static_cast<int>(std::min<size_t>(size, 1u << 30)), 0);
    if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
        return Io::TryAgain;
    }
    if (n <= 0) {
        return Io::Failed;
    }
    moved = static_cast<size_t>(n);
    return Io::Done;
}

Io receiveSome(int socket, char* data, size_t size, size_t& moved) {
    int n = recv(native(socket), data, static_cast<int>(std::min<size_t>(size, 1u << 30)), 0);
    if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
        return Io::TryAgain;
    }
    if (n <= 0) {
        return n == 0 ? Io::Closed : Io::Failed;
    }
    moved = static_cast<size_t>(n);
    return Io::Done;
}

PathKind pathKind(const std::string& path) {
    // A socket's file is a reparse point of its own tag; the directory listing carries the tag.
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(windows::wide(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return PathKind::Absent;
    }
    FindClose(search);
    bool socket = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                  found.dwReserved0 == kUnixSocketTag;
    return socket ? PathKind::Socket : PathKind::Other;
}

FileIdentity identityOf(const std::string& path) {
    windows::Handle file(
        CreateFileW(windows::wide(path).c_str(), 0,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || GetFileInformationByHandle(file.get(), &info) == 0) {
        return {};
    }
    return {info.dwVolumeSerialNumber,
            (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

void removeFile(const std::string& path) {
    DeleteFileW(windows::wide(path).c_str());
}

}  // namespace lumora_usb_encoder::sockets
