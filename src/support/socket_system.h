#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Stream sockets as the socket wire protocol and quillon-sim use them (socket_system_posix.cpp,
// socket_system_windows.cpp): Unix-domain sockets by path (Windows has them since Windows 10
// version 1803), a wake-up pair, waits on several at once. A socket is an int everywhere, -1 for
// none: a Windows socket is a kernel handle, and those fit in 32 bits.
namespace lumora_usb_encoder::sockets {

inline constexpr int kNone = -1;

void close(int socket);

// Why the last socket call of this thread failed, in the system's words.
std::string lastError();

// The longest path a Unix socket address holds.
size_t maxUnixPathLength();

// A connected Unix-domain stream socket that never blocks, or kNone and the reason.
int connectUnix(const std::string& path, std::string& error);
// A socket listening on `path` (which the bind makes), or kNone and the reason.
int listenUnix(const std::string& path, int backlog, std::string& error);
// The next waiting connection, made non-blocking; kNone when there is none or it failed.
int accept(int listener);

// A pair whose read end turns readable once the write end is written to, so that a thread
// waiting on sockets can be told to stop or to look at a queue: a pipe, or on Windows (where
// only sockets can be waited on together) a connected loopback pair. Neither end blocks.
bool makeWakePair(int& readEnd, int& writeEnd);
void sendWake(int writeEnd);
void drainWakes(int readEnd);

struct WaitEntry {
    int socket = kNone;
    bool forWriting = false;
    bool ready = false;  // readable (or writable), closed by the peer, or failed
};
// Waits up to `timeoutMs` (-1: for ever) until an entry is ready. The number of ready entries,
// 0 when the time ran out, -1 when the wait itself failed. Signals do not end the wait early.
int waitFor(WaitEntry* entries, size_t count, int timeoutMs);

// True when the peer closed its end (or the socket failed), without waiting. A peer that only
// shut its sending side still reads, so that is not taken for gone.
bool hungUp(int socket);

enum class Io { Done, TryAgain, Closed, Failed };
// Moves what the socket takes or holds right now, never waiting and never raising SIGPIPE.
// Done with `moved` > 0; TryAgain when nothing can move yet; Closed when the peer has closed
// (receiving only).
Io sendSome(int socket, const char* data, size_t size, size_t& moved);
Io receiveSome(int socket, char* data, size_t size, size_t& moved);

// The file a listening socket's bind made, so that a server removes its own and nobody else's.
enum class PathKind { Absent, Socket, Other };
PathKind pathKind(const std::string& path);
struct FileIdentity {
    uint64_t volume = 0;
    uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};
FileIdentity identityOf(const std::string& path);  // all zero when there is no such file
void removeFile(const std::string& path);

}  // namespace lumora_usb_encoder::sockets
