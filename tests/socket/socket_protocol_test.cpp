#include <gtest/gtest.h>

#include "device/socket_protocol.h"

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

    const std::pair<const char*, Request> cases[] = {
        {"ENUMERATE 2047 0000", enumerate},  {"OPEN sim:1:1", open},
        {"WRITE 7 3f4002", write},           {"READ 7 64 10", read},
        {"STRING 7 PRODUCT", product},       {"STRING 7 MANUFACTURER", manufacturer},
        {"CLOSE 7", make(Verb::Close, "7")}, {"WATCH", make(Verb::Watch)},
    };
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
        {"ENUMERATE  2047 09bf", "empty field"},
        {"OPEN sim:1 ", "empty field"},
        {"OPEN sim:1\r", "bad character"},
        {"OPEN a\tb", "bad character"},
        {"WRITE 7", "WRITE takes 2 fields"},
        {"WRITE 7 3f4", "bad hex"},
        {"WRITE 7 zz", "bad hex"},
        {"READ 7 0 10", "bad max length"},
        {"READ 7 64 -1", "bad timeout"},
        {"READ 7 64 99999999999", "bad timeout"},
        {"READ 7 65536 0", "bad max length"},
        {"STRING 7 SERIAL", "MANUFACTURER or PRODUCT"},
        {"CLOSE", "CLOSE takes 1 field"},
        {"WATCH now", "WATCH takes 0 fields"},
        {std::string("OPEN a\0b", 8), "bad character"},
        {"WRITE 7 " + std::string(4090, 'a'), "line too long"},
    };
    for (const auto& [line, reason] : cases) {
        Request parsed;
        std::string error;
        EXPECT_FALSE(parseRequest(line, parsed, error)) << line;
        EXPECT_NE(error.find(reason), std::string::npos) << line << " gave: " << error;
    }
}

TEST(SocketProtocol, ALineOfExactlyTheLimitIsStillALine) {
    std::string line = "WRITE 7 " + std::string(kMaxLineLength - 8, 'a');
    Request parsed;
    std::string error;
    EXPECT_TRUE(parseRequest(line, parsed, error)) << error;
    EXPECT_FALSE(parseRequest(line + "aa", parsed, error));
}

TEST(SocketProtocol, EveryAnswerFormIsReadAndWrittenBack) {
    const char* cases[] = {
        "DEVICE sim:1:1 2047 09bf 1 566f726c61 -",
        "DEVICE /dev/hidraw3 2047 0200 -1 - -",
        "END",
        "OK",
        "OK 12",
        "ERR",
        "ERR no such  device",  // a reason keeps its blanks
        "DATA 3f40",
        "NONE",
        "STRING e282ac",
        "ARRIVAL sim:2:1",
        "REMOVAL sim:2:1",
    };
    for (const char* line : cases) {
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
    const char* cases[] = {
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
    };
    for (const char* line : cases) {
        Answer answer;
        std::string error;
        EXPECT_FALSE(parseAnswer(line, answer, error)) << line;
        EXPECT_FALSE(error.empty()) << line;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::hid::wire
