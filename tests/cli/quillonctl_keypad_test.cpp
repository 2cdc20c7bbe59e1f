#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli_runner.h"

namespace lumora_usb_encoder {
namespace {

using testing::runQuillonctl;

TEST(Quillonctl, StatusAndDevicesAsJson) {
    auto run = runQuillonctl("--simulate=keys=16,type=8 --json status");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto record = nlohmann::json::parse(run.out);
    EXPECT_EQ(record["codeTable"].size(), 32u);
    for (const char* key : {"ledBrightness", "ledColour", "buzzer", "options", "buzzerPeriod",
                            "keypadType", "firmwareVersion", "serialNumber", "variant"}) {
        EXPECT_TRUE(record.contains(key)) << key;
    }
    EXPECT_EQ(record["keypadType"], 8);
    run = runQuillonctl("--simulate --json devices");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["keypads"].size(), 2u)
        << "interface 0 and interface 1";
}

// A trace shows each report written (the frames themselves are checked in the framing tests).
TEST(Quillonctl, ExitCodesMessagesAndTraces) {
    const std::string data = QUILLON_TEST_DATA;
    const std::string upgrade = "--simulate --settings " + ::testing::TempDir() +
                                "/cli_refusals/USBUtilityCfg.ini firmware ";
    const std::tuple<std::string, int, const char*> cases[] = {
        {"--simulate=absent=1 status", 3, "Vorla Quillon™ not connected.."},
        {"--simulate=fault=refuse set brightness 5", 1, "Unable to set the LED Brightness.."},
        {"--simulate=fault=badcheck set buzzer on", 1, "Unable to set Buzzer On/Off.."},
        {"--simulate=fault=refuse set table custom", 1, "Unable to set Keypad Type.."},
        {"--simulate=fault=refuse status", 1, "Unable to get device status information"},
        {"--simulate --trace set brightness 10", 2, "brightness"},
        {"--simulate --trace set period 0", 2, "period"},
        {"--simulate --trace set buzzer loud", 2, "buzzer"},
        {"--simulate=keys=7 status", 2, "keys=7"},
        {"--simulate --trace status", 0, "> 3f 40 02 30 31 30 30 03 00 00"},
        {"set brightness 5 --simulate --trace", 0, "> 3f 40 02 30 32 30 31 05 03 07 00"},
        {"--simulate set colour 0", 0, ""},
        {"--simulate set table alternate", 0, ""},
        {"--simulate=absent=1 selftest", 3, "not connected"},
        {"--simulate=fault=refuse selftest", 1, "Device status message error.."},
        {"--simulate --trace selftest --stages lamp", 2, "unknown stage 'lamp'"},
        {"--simulate --trace selftest --keys-time 0", 2, "keys-time"},
        {upgrade + "--trace upgrade " + data + "/firmware/srec_single.txt --yes", 2,
         "no reset vector"},
        {upgrade + "--trace upgrade /nonexistent.txt --yes", 2, "cannot read"},
        {upgrade + "upgrade " QUILLON_SAMPLE_FIRMWARE, 4,
         "not started"},  // no --yes, no terminal: No
        {upgrade + "--trace restore-settings", 2, "cannot read"},
        {upgrade, 2, ""},
    };
    for (const auto& [arguments, exitCode, message] : cases) {
        auto run = runQuillonctl(arguments);
        EXPECT_EQ(run.exitCode, exitCode) << arguments << "\n" << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << arguments << "\n" << run.err;
        if (exitCode == 2) {
            EXPECT_EQ(run.err.find("> 3f"), std::string::npos) << "nothing sent: " << arguments;
        }
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
