#include "device/report_framing.h"

#include <gtest/gtest.h>

#include "scripted_device.h"

namespace lumora_usb_encoder {
namespace {

using testing::inputReport;
using testing::replyFrame;
using testing::ScriptedDevice;

std::vector<uint8_t> zeroPadded(std::vector<uint8_t> head) {
    head.resize(64, 0);
    return head;
}

struct Exchange {
    int32_t result;
    uint32_t replyLength;
    std::array<uint8_t, 64> reply{};
};

Exchange exchange(ScriptedDevice& device, uint8_t command, const std::vector<uint8_t>& payload,
                  int32_t timeoutMs = 5000) {
    Exchange e{0, 0xFFFF'FFFF};
    e.result =
        USBEncoderSendAndReceive_a(&device, command, payload, e.reply, &e.replyLength, timeoutMs);
    return e;
}

TEST(HexDigits, ConvertBothWaysWithUpperCaseOnly) {
    EXPECT_EQ(NibbleToHexDigit(0x00), '0');
    EXPECT_EQ(NibbleToHexDigit(0x09), '9');
    EXPECT_EQ(NibbleToHexDigit(0x0A), 'A');
    EXPECT_EQ(NibbleToHexDigit(0xFF), 'F');  // only the low nibble counts
    const std::pair<uint8_t, uint8_t> reads[] = {{'0', 0}, {'9', 9}, {'A', 10}, {'F', 15},
                                                 {'a', 0}, {'f', 0}, {'G', 0},  {0x00, 0}};
    for (auto [digit, value] : reads) {
        EXPECT_EQ(HexDigitToNibble(digit), value) << "digit " << int{digit};
    }
}

TEST(CommandReport, IsBuiltByteForByte) {
    struct Case {
        const char* name;
        uint8_t command;
        std::vector<uint8_t> payload;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {"status", 1, {}, {0x3F, 0x40, 0x02, 0x30, 0x31, 0x30, 0x30, 0x03, 0x00}},
        {"brightness 5", 2, {5}, {0x3F, 0x40, 0x02, 0x30, 0x32, 0x30, 0x31, 0x05, 0x03, 0x07}},
        {"framing bytes travel unescaped",
         11,
         {0x02, 0x03, 0x06},
         {0x3F, 0x40, 0x02, '0', 'B', '0', '3', 0x02, 0x03, 0x06, 0x03,
          0x02 ^ '0' ^ 'B' ^ '0' ^ '3' ^ 0x02 ^ 0x03 ^ 0x06 ^ 0x03}},
    };
    for (const auto& c : cases) {
        ScriptedDevice device;
        device.reports.push_back(inputReport(replyFrame({})));
        exchange(device, c.command, c.payload);
        ASSERT_EQ(device.written.size(), 1u) << c.name;
        EXPECT_EQ(device.written[0], zeroPadded(c.expected)) << c.name;
    }
}

TEST(CommandReport, LengthDigitsUpToTheLongestPayload) {
    for (auto [size, high, low] :
         {std::tuple{20, '1', '4'}, std::tuple{32, '2', '0'}, std::tuple{55, '3', '7'}}) {
        ScriptedDevice device;
        device.reports.push_back(inputReport(replyFrame({})));
        exchange(device, 5, std::vector<uint8_t>(size, 0));
        ASSERT_EQ(device.written.size(), 1u) << size;
        EXPECT_EQ(device.written[0][5], high);
        EXPECT_EQ(device.written[0][6], low);
        EXPECT_EQ(device.written[0][7 + size], 0x03) << "ETX";
        EXPECT_EQ(device.written[0].size(), 64u);
    }
}

TEST(ReplyFrame, ChecksEveryField) {
    auto good = replyFrame({0xAA, 0xBB});
    auto flip = [](std::vector<uint8_t> f, size_t at, uint8_t value) {
        f[at] = value;
        return f;
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> frame;
        int32_t result;
        uint32_t length;
    };
    const Case cases[] = {
        {"minimal reply", {0x02, '0', '2', '0', '1', 0x00, 0x03, 0x02}, 0, 0},
        {"two data bytes", good, 0, 2},
        {"status byte 1 with right ETX and BCC", replyFrame({}, 0x01), -2, 0},
        {"BCC off by one bit", flip(good, 9, good[9] ^ 0x01), -2, 0},
        {"ETX missing", flip(good, 8, 0x04), -2, 0},
        {"not STX", flip(good, 0, 0x05), -2, 0},
        {"length 64", {0x02, '0', '1', '4', '0', 0x00}, -2, 0},
        {"length 0", {0x02, '0', '1', '0', '0', 0x00, 0x03, 0x01}, -2, 0},
        {"lower-case length reads as 0", {0x02, '0', '1', '0', 'a', 0x00}, -2, 0},
        {"length 56 would run past the report", {0x02, '0', '1', '3', '8', 0x00}, -2, 0},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> frame = c.frame;
        frame.resize(62, 0);
        uint8_t reply[64] = {};
        uint32_t length = 0xDEAD;
        EXPECT_EQ(USBEncoderParseReply(frame, reply, &length), c.result) << c.name;
        EXPECT_EQ(length, c.result == 0 ? c.length : 0xDEADu) << c.name;
    }
}

TEST(Exchange, ResultCodes) {
    auto refusal = inputReport({0x0F});
    auto oversize = inputReport(replyFrame({1}), 0x41);
    auto badBcc = replyFrame({1});
    badBcc.back() ^= 0x01;
    struct Case {
        const char* name;
        std::vector<std::vector<uint8_t>> reports;
        int32_t result;
        int writeResult = 64;
        int readError = 0;
    };
    const Case cases[] = {
        {"acknowledge then reply", {inputReport({0x06}), {}, {}, inputReport(replyFrame({7}))}, 0},
        {"refusal", {refusal}, -13},
        {"size byte 0x41 on a good frame", {oversize}, -8},
        {"bad check byte", {inputReport(badBcc)}, -13},
        {"status byte 1", {inputReport(replyFrame({}, 1))}, -13},
        {"write fails", {}, -1, -1},
        {"read fails", {}, -1, 64, -1},
    };
    for (const auto& c : cases) {
        ScriptedDevice device;
        device.reports.assign(c.reports.begin(), c.reports.end());
        device.writeResult = c.writeResult;
        device.readError = c.readError;
        EXPECT_EQ(exchange(device, 1, {}).result, c.result) << c.name;
    }
}

TEST(Exchange, TimesOutAfter500EmptyPollsOnly) {
    ScriptedDevice device;
    uint32_t start = GetTickCount();
    auto e = exchange(device, 1, {});
    EXPECT_EQ(e.result, -6);
    EXPECT_EQ(device.polls, 500);
    EXPECT_EQ(GetTickCount() - start, 5000u);
    EXPECT_EQ(e.replyLength, 0xFFFF'FFFFu) << "left untouched on failure";
}

TEST(Exchange, AcknowledgeRestartsTheTimeOut) {
    ScriptedDevice device;
    for (int i = 0; i < 499; ++i) {
        device.reports.emplace_back();
    }
    device.reports.push_back(inputReport({0x06}));
    for (int i = 0; i < 499; ++i) {
        device.reports.emplace_back();
    }
    device.reports.push_back(inputReport(replyFrame({1, 2, 3})));
    auto e = exchange(device, 1, {});
    EXPECT_EQ(e.result, 0);
    EXPECT_EQ(e.replyLength, 3u);
    EXPECT_EQ(e.reply[2], 3);
}

TEST(Exchange, NoTimeLimitWithZero) {
    ScriptedDevice device;
    for (int i = 0; i < 2000; ++i) {
        device.reports.emplace_back();
    }
    device.reports.push_back(inputReport(replyFrame({})));
    EXPECT_EQ(exchange(device, 1, {}, 0).result, 0);
}

TEST(Exchange, RefusesWithoutWriting) {
    uint8_t reply[64];
    uint32_t length = 0;
    EXPECT_EQ(USBEncoderSendAndReceive_a(nullptr, 1, {}, reply, &length, 5000), -1);
    EXPECT_EQ(USBEncoderReceive_a(nullptr, 8, reply, &length, 5000), -1);

    ScriptedDevice device;
    std::vector<uint8_t> tooLong(56, 0);
    EXPECT_EQ(exchange(device, 5, tooLong).result, -13);
    EXPECT_TRUE(device.written.empty());
}

TEST(Exchange, ReceiveOnlyWritesNothing) {
    ScriptedDevice device;
    device.reports.push_back(inputReport(replyFrame({9})));
    uint8_t reply[64];
    uint32_t length = 0;
    EXPECT_EQ(USBEncoderReceive_a(&device, 8, reply, &length, 5000), 0);
    EXPECT_EQ(reply[0], 9);
    EXPECT_TRUE(device.written.empty());
}

}  // namespace
}  // namespace lumora_usb_encoder

namespace lumora_usb_encoder {
namespace {

// The longest reply (N = 55, 54 data bytes) and the caller's reply capacity: a reply never
// lands past the span it is given, however long the frame.
TEST(Exchange, TheLongestReplyFitsExactlyAndNeverOverrunsASmallerSpan) {
    std::vector<uint8_t> data(54);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(0xA0 + i);
    }
    const std::pair<size_t, int32_t> cases[] = {{64, 0}, {54, 0}, {53, -13}, {8, -13}};
    for (auto [capacity, result] : cases) {
        testing::ScriptedDevice device;
        device.reports.push_back(testing::inputReport(testing::replyFrame(data)));
        std::vector<uint8_t> reply(capacity + 4, 0x5A);  // guard bytes behind the span
        uint32_t length = 0xFFFF'FFFF;
        EXPECT_EQ(USBEncoderSendAndReceive_a(&device, 1, {}, std::span(reply).first(capacity),
                                             &length, 5000),
                  result)
            << capacity;
        EXPECT_EQ(length, result == 0 ? 54u : 0xFFFF'FFFFu) << capacity;
        EXPECT_EQ(std::vector<uint8_t>(reply.end() - 4, reply.end()), std::vector<uint8_t>(4, 0x5A))
            << capacity;
        if (result == 0) {
            EXPECT_EQ(std::vector<uint8_t>(reply.begin(), reply.begin() + 54), data);
        }
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
