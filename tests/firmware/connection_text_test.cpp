#include "firmware/connection_text.h"

#include <gtest/gtest.h>

namespace lumora_usb_encoder {
namespace {

struct Case {
    const char* text;
    bool ok;
    uint16_t vid, pid;
    uint32_t index;
};

TEST(ConnectionText, ReadsTheLoaderSelection) {
    const Case cases[] = {
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
    for (const auto& c : cases) {
        ConnectionTarget target;
        std::string error;
        ASSERT_EQ(parseConnectionText(c.text, target, error), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(target.vendorId, c.vid) << c.text;
            EXPECT_EQ(target.productId, c.pid) << c.text;
            EXPECT_EQ(target.deviceIndex, c.index) << c.text;
        } else {
            EXPECT_FALSE(error.empty()) << c.text;
        }
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
