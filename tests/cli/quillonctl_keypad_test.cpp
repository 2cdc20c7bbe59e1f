#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli_runner.h"
#include "common/sent_commands.h"
#include "device/device_connection.h"

namespace lumora_usb_encoder::testing {
namespace {

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
    // Interface 0 and interface 1.
    EXPECT_EQ(nlohmann::json::parse(run.out)["keypads"].size(), 2u);
}

// One command line, traced: its exit code, what it says on the error output ("": nothing but
// the trace), and every command it wrote to the keypad.
struct Row {
    const char* name;
    std::string arguments;
    int exitCode;
    std::string says;
    std::vector<SentCommand> sent;
};

// The error output without the trace's report lines.
std::string messagesIn(const std::string& err) {
    std::istringstream lines(err);
    std::string messages;
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("> ") && !line.starts_with("< ")) {
            messages += line + "\n";
        }
    }
    return messages;
}

void expectRun(const Row& row) {
    SCOPED_TRACE(row.name);
    auto run = runQuillonctl(row.arguments + " --trace");
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
    if (row.says.empty()) {
        EXPECT_EQ(messagesIn(run.err), "");
    } else {
        EXPECT_NE(run.err.find(row.says), std::string::npos) << run.err;
    }
    EXPECT_EQ(tracedCommands(run.err), row.sent);
}

const SentCommand kStatusRead = {Command::Status, {}};

// The trace shows each report written (the frames themselves are checked in the framing tests).
TEST(QuillonctlStatus, ExitCodesMessagesAndTrace) {
    const std::string keysSeven = "bad simulation setting 'keys=7'";
    const Row rows[] = {
        {"NoKeypad", "--simulate=absent=1 status", 3, kNotConnectedMessage, {}},
        {"Refused",
         "--simulate=fault=refuse status",
         1,
         "Unable to get device status information",
         {kStatusRead}},
        {"BadSimulation", "--simulate=keys=7 status", 2, keysSeven, {}},
        {"TracedRead", "--simulate status", 0, "> 3f 40 02 30 31 30 30 03 00 00", {kStatusRead}},
        // "Nothing found" would be untrue: nothing could be looked at.
        {"DevicesWithoutTheirServer",
         "--hid-socket /no/such.sock devices",
         3,
         "quillonctl: cannot connect to /no/such.sock",
         {}},
    };
    for (const Row& row : rows) {
        expectRun(row);
    }
}

TEST(QuillonctlSet, SendsTheSettingOrSaysWhyNot) {
    const std::string brightnessFive = "> 3f 40 02 30 32 30 31 05 03 07 00";
    const Row rows[] = {
        {"RefusedBrightness",
         "--simulate=fault=refuse set brightness 5",
         1,
         "Unable to set the LED Brightness..",
         {{Command::LedBrightness, {5}}}},
        {"BadCheckByteOnTheBuzzer",
         "--simulate=fault=badcheck set buzzer on",
         1,
         "Unable to set Buzzer On/Off..",
         {{Command::Buzzer, {1}}}},
        {"RefusedTable",
         "--simulate=fault=refuse set table custom",
         1,
         "Unable to set Keypad Type..",
         {{Command::Status, {}}}},
        {"BrightnessOutOfRange", "--simulate set brightness 10", 2, "Value 10 not in range", {}},
        {"PeriodOutOfRange", "--simulate set period 0", 2, "Value 0 not in range", {}},
        {"BuzzerWord", "--simulate set buzzer loud", 2, "buzzer: Check loud value", {}},
        {"OptionsAfterTheValue",
         "set brightness 5 --simulate",
         0,
         brightnessFive,
         {{Command::LedBrightness, {5}}}},
        {"Colour", "--simulate set colour 0", 0, "", {{Command::LedColour, {0}}}},
        {"AlternateTable",
         "--simulate set table alternate",
         0,
         "",
         {{Command::Status, {}}, {Command::KeypadType, {1}}}},
    };
    for (const Row& row : rows) {
        expectRun(row);
    }
}

TEST(QuillonctlSelftest, RefusesBeforeTheRun) {
    const Row rows[] = {
        {"NoKeypad", "--simulate=absent=1 selftest", 3, kNotConnectedMessage, {}},
        {"StatusRefused",
         "--simulate=fault=refuse selftest",
         1,
         "Device status message error..",
         {kStatusRead}},
        {"UnknownStage", "--simulate selftest --stages lamp", 2, "unknown stage 'lamp'", {}},
        {"NoTimeForKeys", "--simulate selftest --keys-time 0", 2, "--keys-time: Value 0", {}},
    };
    for (const Row& row : rows) {
        expectRun(row);
    }
}

TEST(QuillonctlFirmware, RefusesWithoutTouchingTheKeypad) {
    const std::string data = QUILLON_TEST_DATA;
    const std::string firmware = "--simulate --settings " + ::testing::TempDir() +
                                 "/cli_refusals/USBUtilityCfg.ini firmware";
    const std::string upgrade = firmware + " upgrade ";
    const Row rows[] = {
        {"ImageWithoutResetVector",
         upgrade + data + "/firmware/srec_single.txt --yes",
         2,
         "no reset vector",
         {}},
        {"MissingImage", upgrade + "/nonexistent.txt --yes", 2, "cannot read", {}},
        // No --yes and no terminal: the question is answered No.
        {"NotConfirmed", upgrade + QUILLON_SAMPLE_FIRMWARE, 4, "not started", {kStatusRead}},
        {"RestoreWithoutBackup", firmware + " restore-settings", 2, "cannot read", {}},
        {"NoSubcommand", firmware, 2, "A subcommand is required", {}},
    };
    for (const Row& row : rows) {
        expectRun(row);
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
