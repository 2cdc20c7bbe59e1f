#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "device/socket_io.h"
#include "device/socket_protocol.h"

namespace lumora_usb_encoder::hid::wire {
namespace {

using Status = LineReader::Status;
using namespace std::chrono_literals;

struct Pair {
    FileDescriptor ours, theirs;
    Pair() {
        int fds[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
        ours.reset(fds[0]);
        theirs.reset(fds[1]);
    }
};

struct ReaderCase {
    const char* name;
    std::vector<std::string> chunks;  // written by the peer, then it hangs up
    std::vector<std::pair<Status, std::string>> expected;
};

TEST(SocketLineReader, SplitsTheStreamIntoBoundedLines) {
    const std::string longest(kMaxLineLength, 'x');
    const ReaderCase cases[] = {
        {"lines across chunks",
         {"OK 1\nDA", "TA 3f\n", "END\n"},
         {{Status::Line, "OK 1"}, {Status::Line, "DATA 3f"}, {Status::Line, "END"}}},
        {"an empty line is a line", {"\nNONE\n"}, {{Status::Line, ""}, {Status::Line, "NONE"}}},
        {"the longest line", {longest + "\n"}, {{Status::Line, longest}}},
        {"one byte over, then in step again",
         {longest + "y\nEND\n"},
         {{Status::TooLong, ""}, {Status::Line, "END"}}},
        {"a runaway line over many reads",
         {longest, longest, longest + "\nOK\n"},
         {{Status::TooLong, ""}, {Status::Line, "OK"}}},
        {"a last line without its end is dropped",
         {"END\nDAT"},
         {{Status::Line, "END"}, {Status::Closed, ""}}},
    };
    for (const auto& c : cases) {
        Pair pair;
        std::thread writer([&] {
            for (const auto& chunk : c.chunks) {
                std::string ignored;
                sendAll(pair.theirs.get(), chunk, deadlineIn(5s), ignored);
            }
            pair.theirs.reset();
        });
        LineReader reader;
        for (const auto& [status, text] : c.expected) {
            std::string line;
            ASSERT_EQ(reader.next(pair.ours.get(), line, deadlineIn(5s)), status) << c.name;
            if (status == Status::Line) {
                EXPECT_EQ(line, text) << c.name;
            }
        }
        writer.join();
    }
}

TEST(SocketLineReader, EndsAWaitAtTheDeadlineOrWhenWoken) {
    Pair pair;
    LineReader reader;
    std::string line;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(reader.next(pair.ours.get(), line, deadlineIn(50ms)), Status::Timeout);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);

    WakePipe wake;
    wake.wake();
    EXPECT_EQ(reader.next(pair.ours.get(), line, std::nullopt, wake.fd()), Status::Woken);
}

}  // namespace
}  // namespace lumora_usb_encoder::hid::wire
