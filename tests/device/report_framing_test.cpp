#include "device/report_framing.h"
#include "device/status_record.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>

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
    // 0xFF: only the low nibble counts.
    const std::pair<uint8_t, char> writes[] = {
        {0, '0'},
        {9, '9'},
        {10, 'A'},
        {0xFF, 'F'},
    };
    for (auto [nibble, digit] : writes) {
        EXPECT_EQ(NibbleToHexDigit(nibble), digit) << "nibble " << int{nibble};
    }
    const auto reads = std::to_array<std::pair<uint8_t, uint8_t>>({
        {'0', 0},
        {'9', 9},
        {'A', 10},
        {'F', 15},
        {'a', 0},
        {'f', 0},
        {'G', 0},
        {0x00, 0},
    });
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
          0x02 ^ '0' ^ 'B' ^ '0' ^ '3' ^ 0x02 ^ 0x03 ^ 0x06 ^ 0x03}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDevice device;
        device.reports.push_back(inputReport(replyFrame({})));
        exchange(device, c.command, c.payload);
        ASSERT_EQ(device.written.size(), 1u);
        EXPECT_EQ(device.written[0], zeroPadded(c.expected));
    }
}

TEST(CommandReport, LengthDigitsUpToTheLongestPayload) {
    // The payload's length and its two digits.
    const std::tuple<size_t, char, char> lengths[] = {
        {20, '1', '4'},
        {32, '2', '0'},
        {55, '3', '7'},
    };
    for (auto [size, high, low] : lengths) {
        SCOPED_TRACE(std::to_string(size) + " bytes");
        ScriptedDevice device;
        device.reports.push_back(inputReport(replyFrame({})));
        exchange(device, 5, std::vector<uint8_t>(size, 0));
        ASSERT_EQ(device.written.size(), 1u);
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
        {"minimal reply", {0x02, '0', '2', '0', '1', 0x00, 0x03, 0x02}, kResultOk, 0},
        {"two data bytes", good, kResultOk, 2},
        {"status byte 1 with right ETX and BCC", replyFrame({}, 0x01), kParseFailed, 0},
        {"BCC off by one bit", flip(good, 9, good[9] ^ 0x01), kParseFailed, 0},
        {"ETX missing", flip(good, 8, 0x04), kParseFailed, 0},
        {"not STX", flip(good, 0, 0x05), kParseFailed, 0},
        {"length 64", {0x02, '0', '1', '4', '0', 0x00}, kParseFailed, 0},
        {"length 0", {0x02, '0', '1', '0', '0', 0x00, 0x03, 0x01}, kParseFailed, 0},
        {"lower-case length reads as 0", {0x02, '0', '1', '0', 'a', 0x00}, kParseFailed, 0},
        {"length 56 would run past the report", {0x02, '0', '1', '3', '8', 0x00}, kParseFailed, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> frame = c.frame;
        frame.resize(62, 0);
        uint8_t reply[64] = {};
        uint32_t length = 0xDEAD;
        EXPECT_EQ(USBEncoderParseReply(frame, reply, &length), c.result);
        EXPECT_EQ(length, c.result == kResultOk ? c.length : 0xDEADu);
    }
}

TEST(Exchange, ResultCodes) {
    auto acknowledge = inputReport({0x06});
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
        {"acknowledge then reply", {acknowledge, {}, {}, inputReport(replyFrame({7}))}, kResultOk},
        {"refusal", {refusal}, kResultRefused},
        {"size byte 0x41 on a good frame", {oversize}, kResultBadSize},
        {"bad check byte", {inputReport(badBcc)}, kResultRefused},
        {"status byte 1", {inputReport(replyFrame({}, 1))}, kResultRefused},
        {"write fails", {}, kResultNoDevice, -1},
        {"read fails", {}, kResultNoDevice, 64, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDevice device;
        device.reports.assign(c.reports.begin(), c.reports.end());
        device.writeResult = c.writeResult;
        device.readError = c.readError;
        EXPECT_EQ(exchange(device, 1, {}).result, c.result);
    }
}

// An empty poll costs 10 ms; an acknowledge starts the count again; 0 waits for ever.
TEST(Exchange, TimesOutAfter500EmptyPollsSinceTheLastAcknowledge) {
    struct Case {
        const char* name;
        size_t emptyPolls;
        bool acknowledgeThen499More;
        int32_t timeoutMs;
        int32_t result;
    };
    const Case cases[] = {
        {"500 empty polls", 500, false, 5000, kResultTimeout},
        {"acknowledged after 499", 499, true, 5000, kResultOk},
        {"no time limit", 2000, false, 0, kResultOk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDevice device;
        device.reports.resize(c.emptyPolls);
        if (c.acknowledgeThen499More) {
            device.reports.push_back(inputReport({0x06}));
            device.reports.resize(device.reports.size() + 499);
        }
        device.reports.push_back(inputReport(replyFrame({1, 2, 3})));
        uint32_t start = GetTickCount();
        auto e = exchange(device, 1, {}, c.timeoutMs);
        EXPECT_EQ(e.result, c.result);
        EXPECT_EQ(e.replyLength, c.result == kResultOk ? 3u : 0xFFFF'FFFFu);
        if (c.result != kResultOk) {
            EXPECT_EQ(device.polls, 500);
            EXPECT_EQ(GetTickCount() - start, 5000u);
        }
    }
}

// No device, a payload over 55 bytes, or a receive-only exchange: nothing is written.
TEST(Exchange, RefusesOrOnlyReceivesWithoutWriting) {
    uint8_t reply[64];
    uint32_t length = 0;
    EXPECT_EQ(USBEncoderSendAndReceive_a(nullptr, 1, {}, reply, &length, 5000), kResultNoDevice);
    EXPECT_EQ(USBEncoderReceive_a(nullptr, 8, reply, &length, 5000), kResultNoDevice);
    ScriptedDevice device;
    EXPECT_EQ(exchange(device, 5, std::vector<uint8_t>(56, 0)).result, kResultRefused);
    device.reports.push_back(inputReport(replyFrame({9})));
    EXPECT_EQ(USBEncoderReceive_a(&device, 8, reply, &length, 5000), kResultOk);
    EXPECT_EQ(reply[0], 9);
    EXPECT_TRUE(device.written.empty());
}

// The longest reply (N = 55, 54 data bytes) and the caller's reply capacity: a reply never
// lands past the span it is given, however long the frame.
TEST(Exchange, TheLongestReplyFitsExactlyAndNeverOverrunsASmallerSpan) {
    std::vector<uint8_t> data(54);
    std::iota(data.begin(), data.end(), uint8_t{0xA0});
    // The caller's capacity and the result.
    const std::pair<size_t, int32_t> capacities[] = {
        {64, kResultOk},
        {54, kResultOk},
        {53, kResultRefused},
        {8, kResultRefused},
    };
    for (auto [capacity, result] : capacities) {
        SCOPED_TRACE("capacity " + std::to_string(capacity));
        ScriptedDevice device;
        device.reports.push_back(inputReport(replyFrame(data)));
        std::vector<uint8_t> reply(capacity + 4, 0x5A);  // guard bytes behind the span
        uint32_t length = 0xFFFF'FFFF;
        auto span = std::span(reply).first(capacity);
        EXPECT_EQ(USBEncoderSendAndReceive_a(&device, 1, {}, span, &length, 5000), result);
        EXPECT_EQ(length, result == kResultOk ? 54u : 0xFFFF'FFFFu);
        auto guard = std::vector<uint8_t>(reply.end() - 4, reply.end());
        EXPECT_EQ(guard, std::vector<uint8_t>(4, 0x5A));
        if (result == kResultOk) {
            EXPECT_EQ(std::vector<uint8_t>(reply.begin(), reply.begin() + 54), data);
        }
    }
}

std::vector<uint8_t> record(uint8_t type, size_t table, const std::string& version,
                            const std::string& serial = "ABCDEFGHIJKL") {
    std::vector<uint8_t> r = {5, 0, 1, 0x06, 3, type};
    for (size_t i = 0; i < table; ++i) {
        r.push_back(static_cast<uint8_t>(0x80 + i));
    }
    r.insert(r.end(), version.begin(), version.end());
    r.push_back(0);
    r.insert(r.end(), serial.begin(), serial.end());
    return r;
}

TEST(StatusRecord, TableLengthFollowsKeypadType) {
    const std::tuple<const char*, uint8_t, size_t> types[] = {
        {"SmallKeypads", 1, 20},
        {"TwelveKeys", 4, 24},
        {"SixteenKeys", 7, 32},
        {"UnknownType", 200, 32},
    };
    for (auto [name, type, table] : types) {
        SCOPED_TRACE(name);
        auto bytes = record(type, table, "7.2");
        auto status = decodeStatusRecord(bytes.data(), bytes.size());
        ASSERT_TRUE(status);
        EXPECT_EQ(status->codeTable.size(), table);
        EXPECT_EQ(status->firmwareVersion, "7.2");
        EXPECT_EQ(status->serialNumber, "ABCDEFGHIJKL");
        EXPECT_EQ(bytes[6 + table], '7') << "version right after the table";
    }
}

TEST(StatusRecord, RejectsRecordsTooShortForTheirFields) {
    auto full = record(7, 32, "7.2");
    ASSERT_EQ(full.size(), 54u);
    const std::pair<const char*, size_t> cuts[] = {
        {"HeaderOnly", 5},
        {"TableCut", 30},
        {"VersionWithoutItsZero", 41},
        {"SerialOneByteShort", 53},
    };
    for (auto [name, length] : cuts) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> cut(full.begin(), full.begin() + length);  // ASan sees any overread
        EXPECT_FALSE(decodeStatusRecord(cut.data(), cut.size()));
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
