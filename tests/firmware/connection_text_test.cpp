#include "firmware/connection_text.h"

#include <gtest/gtest.h>

namespace lumora_usb_encoder {
namespace {

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
}  // namespace lumora_usb_encoder
