#include <gtest/gtest.h>

#include "device/hid_backend.h"
#include "support/clock.h"

namespace {

// Each test starts on a fresh virtual clock and an empty bus; a test installs its own simulated
// keypad when it needs one.
class IsolatedDeviceWorld : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        lumora_usb_encoder::setClock(std::make_shared<lumora_usb_encoder::VirtualClock>());
        lumora_usb_encoder::hid::setBackend(nullptr);
    }
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new IsolatedDeviceWorld);
    return RUN_ALL_TESTS();
}
