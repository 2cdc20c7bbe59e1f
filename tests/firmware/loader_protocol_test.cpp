#include "firmware/loader_protocol.h"
#include "firmware/connection_text.h"

#include <gtest/gtest.h>

namespace lumora_usb_encoder::loader {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr auto M = Reply::Kind::Message;
constexpr auto D = Reply::Kind::Data;

TEST(LoaderReply, ReadsWhatTheLoaderSendsAndRejectsTheRest) {
    // The last column: a message's code, or the data.
    const std::tuple<const char*, Bytes, ReplyError, Reply::Kind, Bytes> cases[] = {
        {"success message", {0x3F, 0x02, 0x3B, 0x00}, ReplyError::None, M, {0}},
        {"password error", {0x3F, 0x02, 0x3B, 0x05, 0, 0}, ReplyError::None, M, {5}},
        {"CRC data", {0x3F, 0x03, 0x3A, 0x34, 0x12}, ReplyError::None, D, {0x34, 0x12}},
        {"padding is not data", {0x3F, 0x02, 0x3A, 0x99, 0x77, 0x66}, ReplyError::None, D, {0x99}},
        {"nothing", {}, ReplyError::TooShort, M, {}},
        {"length beyond the bytes read", {0x3F, 0x05, 0x3A, 0x01}, ReplyError::TooShort, M, {}},
        {"other report", {0x3E, 0x02, 0x3B, 0x00}, ReplyError::BadReportId, M, {}},
        {"length zero", {0x3F, 0x00, 0x3B, 0x00}, ReplyError::BadLength, M, {}},
        {"length 63", Bytes(64, 0x3F), ReplyError::BadLength, M, {}},
        {"unknown kind", {0x3F, 0x02, 0x3C, 0x00}, ReplyError::UnknownKind, M, {}},
        {"message without code", {0x3F, 0x01, 0x3B, 0x00}, ReplyError::BadMessage, M, {}},
        {"message with two codes", {0x3F, 0x03, 0x3B, 0x00, 0x01}, ReplyError::BadMessage, M, {}},
    };
    for (const auto& [name, report, error, kind, read] : cases) {
        Reply reply;
        ASSERT_EQ(parseReply(report, reply), error) << name;
        if (error == ReplyError::None) {
            EXPECT_EQ(reply.kind, kind) << name;
            EXPECT_EQ(kind == M ? Bytes{reply.message} : reply.data, read) << name;
        }
    }
}

TEST(LoaderReport, WrapsCorePacketsThatFitAndUnwrapsOnlyWellFormedOnes) {
    Report report;
    std::vector<uint8_t> full(kMaxCorePacket, 0xAB);
    ASSERT_TRUE(wrapCorePacket(full, report));
    EXPECT_EQ(report[0], 0x3F);
    EXPECT_EQ(report[1], 62);
    EXPECT_EQ(unwrapReport(report).size(), 62u);
    std::vector<uint8_t> tooLong(kMaxCorePacket + 1, 0);
    EXPECT_FALSE(wrapCorePacket(tooLong, report));
    EXPECT_FALSE(wrapCorePacket({}, report));
    EXPECT_TRUE(unwrapReport(std::vector<uint8_t>{0x3F, 0x03, 0x10}).empty());
    // Addresses are little-endian in 24 bits.
    const uint8_t data[] = {0xAA};
    EXPECT_EQ(addressedPacket(Command::RxDataBlockFast, 0x12345, data),
              (std::vector<uint8_t>{0x1B, 0x45, 0x23, 0x01, 0xAA}));
    EXPECT_EQ(addressedPacket(Command::CrcCheck, 0x4400, lengthTail(0x1388)),
              (std::vector<uint8_t>{0x16, 0x00, 0x44, 0x00, 0x88, 0x13}));
}

TEST(ConnectionText, ReadsTheLoaderSelection) {
    const std::tuple<const char*, bool, uint16_t, uint16_t, uint32_t> cases[] = {
        {"PID=0x0200,VID=0x2047,DEVICEINDEX=0", true, 0x2047, 0x0200, 0},
        {"VID=2047,PID=200,DEVICEINDEX=3", true, 0x2047, 0x0200, 3},
        {"vid=0x2047,pid=0x0200", true, 0x2047, 0x0200, 0},
        {"PID=0x0200", false, 0, 0, 0},
        {"PID=0x0200,VID=0x12345", false, 0, 0, 0},
        {"PID=0x0200,VID=0x2047,PID=0x0201", false, 0, 0, 0},
        {"PID=0x0200,VID=0x2047,DEVICEINDEX=0x1", false, 0, 0, 0},
        {"PID=0x0200,VID=0x2047,SPEED=FAST", false, 0, 0, 0},
        {"PID=,VID=0x2047", false, 0, 0, 0},
        {"PID=0x0200,VID=0x2047,", false, 0, 0, 0},
        {"", false, 0, 0, 0},
    };
    for (const auto& [text, ok, vid, pid, index] : cases) {
        ConnectionTarget target;
        std::string error;
        ASSERT_EQ(parseConnectionText(text, target, error), ok) << text;
        if (ok) {
            EXPECT_EQ(target.vendorId, vid) << text;
            EXPECT_EQ(target.productId, pid) << text;
            EXPECT_EQ(target.deviceIndex, index) << text;
        } else {
            EXPECT_FALSE(error.empty()) << text;
        }
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::loader
