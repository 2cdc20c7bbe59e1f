#include <gtest/gtest.h>

#include <sys/socket.h>
#include <array>
#include <chrono>
#include <thread>

#include "socket/answer.h"
#include "socket/codec.h"
#include "socket/request.h"
#include "socket/stream_io.h"

namespace lumora_usb_encoder::hid::wire {
namespace {

Request make(Verb verb, std::string handle = {}) {
    Request r;
    r.verb = verb;
    r.handle = std::move(handle);
    return r;
}

TEST(SocketProtocol, EveryRequestFormIsReadAndWrittenBack) {
    Request enumerate = make(Verb::Enumerate);
    enumerate.vendorId = 0x2047;
    Request open = make(Verb::Open);
    open.path = "sim:1:1";
    Request write = make(Verb::Write, "7");
    write.bytes = {0x3F, 0x40, 0x02};
    Request read = make(Verb::Read, "7");
    read.maxLength = 64;
    read.timeoutMs = 10;
    Request product = make(Verb::String, "7");
    product.which = StringKind::Product;
    Request manufacturer = make(Verb::String, "7");

    const auto cases = std::to_array<std::pair<const char*, Request>>({
        {"ENUMERATE 2047 0000", enumerate},
        {"OPEN sim:1:1", open},
        {"WRITE 7 3f4002", write},
        {"READ 7 64 10", read},
        {"STRING 7 PRODUCT", product},
        {"STRING 7 MANUFACTURER", manufacturer},
        {"CLOSE 7", make(Verb::Close, "7")},
        {"WATCH", make(Verb::Watch)},
    });
    for (const auto& [line, expected] : cases) {
        Request parsed;
        std::string error;
        ASSERT_TRUE(parseRequest(line, parsed, error)) << line << ": " << error;
        EXPECT_EQ(parsed, expected) << line;
        EXPECT_EQ(formatRequest(parsed), line);
    }
    Request upper;
    std::string error;
    ASSERT_TRUE(parseRequest("WRITE 7 3F40", upper, error));
    EXPECT_EQ(formatRequest(upper), "WRITE 7 3f40");  // either case in, lower case out
}

TEST(SocketProtocol, MalformedRequestsAreRefusedWithAReason) {
    const std::pair<std::string, const char*> cases[] = {
        {"HELLO", "unknown request 'HELLO'"},
        {"enumerate 2047 09bf", "unknown request"},  // verbs are upper case
        {"", "empty field"},
        {"ENUMERATE 2047", "ENUMERATE takes 2 fields"},
        {"ENUMERATE 2047 9bf", "bad vendor or product id"},
        {"ENUMERATE 2047 0009bf", "bad vendor or product id"},
        {"ENUMERATE  2047 09bf", "empty field"},
        {"OPEN sim:1 ", "empty field"},
        {"OPEN sim:1\r", "bad character"},
        {"WRITE 7", "WRITE takes 2 fields"},
        {"WRITE 7 3f4", "bad hex"},
        {"WRITE 7 0x3f", "bad hex"},
        {"READ 7 +1 10", "bad max length"},
        {"READ 7 64 1e3", "bad timeout"},
        {"READ 7 0 10", "bad max length"},
        {"READ 7 64 -1", "bad timeout"},
        {"READ 7 64 99999999999", "bad timeout"},
        {"READ 7 65536 0", "bad max length"},
        {"STRING 7 SERIAL", "MANUFACTURER or PRODUCT"},
        {"CLOSE", "CLOSE takes 1 field"},
        {"WATCH now", "WATCH takes 0 fields"},
        {std::string("OPEN a\0b", 8), "bad character"},
        {"WRITE 7 " + std::string(kMaxLineLength - 6, 'a'), "line too long"}};
    for (const auto& [line, reason] : cases) {
        Request parsed;
        std::string error;
        EXPECT_FALSE(parseRequest(line, parsed, error)) << line;
        EXPECT_NE(error.find(reason), std::string::npos) << line << " gave: " << error;
    }
    Request longest;
    std::string error;
    EXPECT_TRUE(parseRequest("WRITE 7 " + std::string(kMaxLineLength - 8, 'a'), longest, error))
        << "a line of exactly the limit is still a line: " << error;
}

// An ERR reason keeps its blanks.
TEST(SocketProtocol, EveryAnswerFormIsReadAndWrittenBack) {
    const auto lines = std::to_array<const char*>({
        "DEVICE sim:1:1 2047 09bf 1 566f726c61 -",
        "DEVICE /dev/hidraw3 2047 0200 -1 - -",
        "END",
        "OK",
        "OK 12",
        "ERR",
        "ERR no such  device",
        "DATA 3f40",
        "NONE",
        "STRING e282ac",
        "ARRIVAL sim:2:1",
        "REMOVAL sim:2:1",
    });
    for (const char* line : lines) {
        Answer answer;
        std::string error;
        ASSERT_TRUE(parseAnswer(line, answer, error)) << line << ": " << error;
        EXPECT_EQ(formatAnswer(answer), line);
    }
    Answer device;
    std::string error;
    ASSERT_TRUE(parseAnswer("DEVICE p 2047 09BF 1 41 4243", device, error));
    EXPECT_EQ(device.device.productId, 0x09BF);
    EXPECT_EQ(device.device.manufacturer, u"A");
    EXPECT_EQ(device.device.product, u"BC");
}

TEST(SocketProtocol, MalformedAnswersAreRefused) {
    const auto lines = std::to_array<const char*>({
        "DATA",
        "DATA ",
        "DATA 3",
        "DATA 3f 40",
        "DEVICE p 2047 09bf 1 -",
        "DEVICE p 2047 09bf x - -",
        "DEVICE p 2047 09bf 1 c0af -",
        "OK 1 2",
        "STRING",
        "STRING c0af",
        "NONE 1",
        "END x",
        "ERRX",
        "ARRIVAL",
        "HELLO",
        "ok",
        "OK\x7f",
    });
    for (const char* line : lines) {
        Answer answer;
        std::string error;
        EXPECT_FALSE(parseAnswer(line, answer, error)) << line;
        EXPECT_FALSE(error.empty()) << line;
    }
}

// Device strings travel as UTF-8 in hex; a surrogate pair is one four-byte sequence.
TEST(SocketCodec, TextTravelsAsUtf8InHexAndMalformedTextIsRefused) {
    const std::pair<std::u16string, const char*> cases[] = {{u"", "-"},
                                                            {u"Vorla", "566f726c61"},
                                                            {u"\u00e9", "c3a9"},
                                                            {u"\u20ac", "e282ac"},
                                                            {u"\U0001F600", "f09f9880"},
                                                            {u"\U0010FFFF", "f48fbfbf"}};
    for (const auto& [text, field] : cases) {
        EXPECT_EQ(encodeText(text), field);
        EXPECT_EQ(decodeText(field), text) << field;
    }
    EXPECT_EQ(encodeText(std::u16string(1, char16_t(0xD800))), "efbfbd");  // as U+FFFD
    const std::pair<const char*, const char*> malformed[] = {
        {"EmptyHex", ""},  // an empty text is "-", never empty hex
        {"TwoDashes", "--"},
        {"Overlong", "c0af"},
        {"EncodedSurrogate", "eda080"},
        {"AboveU10FFFF", "f4908080"},
        {"CutShort", "c3"},
        {"LoneContinuation", "80"},
        {"ThreeByteCutShort", "e282"},
        {"FiveByteLead", "f8888080"},
        {"OddHex", "c3a"},
    };
    for (const auto& [name, field] : malformed) {
        EXPECT_FALSE(decodeText(field).has_value()) << name;
    }
}

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
         {{Status::Line, "END"}, {Status::Closed, ""}}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
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
            Status got = reader.next(pair.ours.get(), line, deadlineIn(5s));
            EXPECT_EQ(got, status);
            if (got != status) {
                break;  // the writer is still joined
            }
            if (status == Status::Line) {
                EXPECT_EQ(line, text);
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
