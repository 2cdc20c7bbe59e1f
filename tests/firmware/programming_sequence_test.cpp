#include "firmware/programming_sequence.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <utility>

#include "common/world.h"
#include "firmware/firmware_resources.h"
#include "firmware/image_verification.h"

namespace lumora_usb_encoder {
namespace {

using testing::kSampleFirmware;
using testing::World;

using Log = std::vector<std::pair<int, std::string>>;

// The real library with a few calls a test can take over or count.
class ScriptedBsl : public BslLibrary {
  public:
    std::function<const char*()> versionText;
    std::function<void()> afterFileSent;
    // The answer the sequence sees for the n-th password (the device gets the real one).
    std::function<uint8_t(int n, uint8_t real)> passwordAnswer;
    uint8_t resetVectorErase = 0;  // non-zero: the erase at 0xFFFF is said to fail
    int passwords = 0, segmentErases = 0, resetTexts = 0;

    const char* BSL_TX_BSL_Version_String() override {
        return versionText ? versionText() : BslLibrary::BSL_TX_BSL_Version_String();
    }
    uint8_t BSL_RX_Password(const DataBlock_& password) override {
        uint8_t real = BslLibrary::BSL_RX_Password(password);
        ++passwords;
        return passwordAnswer ? passwordAnswer(passwords, real) : real;
    }
    uint8_t BSL_eraseSegment(uint32_t address) override {
        ++segmentErases;
        uint8_t real = BslLibrary::BSL_eraseSegment(address);
        return address == 0xFFFF && resetVectorErase != 0 ? resetVectorErase : real;
    }
    uint32_t BSL_RX_TXT(std::string_view text, uint8_t fast) override {
        resetTexts += text == *Firmware::item("Forced_BOR.Text") ? 1 : 0;
        return BslLibrary::BSL_RX_TXT(text, fast);
    }
    uint32_t BSL_RX_TXT_File(std::string_view path, uint8_t fast) override {
        uint32_t result = BslLibrary::BSL_RX_TXT_File(path, fast);
        if (afterFileSent) {
            afterFileSent();
        }
        return result;
    }
};

class Programming : public ::testing::Test {
  protected:
    Programming() { world.enterLoader(); }

    bool program(const std::string& path = kSampleFirmware,
                 LoaderResources resources = LoaderResources::fromFirmwareItems()) {
        ProgrammingSequence sequence(bsl, std::move(resources));
        UpgradeWorker worker;
        worker.ReportProgress = [this](int percent, const std::string& text) {
            log.emplace_back(percent, text);
            ticks.push_back(GetTickCount());
        };
        worker.Result = true;  // the sequence must set it either way
        sequence.CustomSelectedFirmware(path, worker);
        return worker.Result;
    }
    Log texts() const {
        Log lines;
        std::copy_if(log.begin(), log.end(), std::back_inserter(lines),
                     [](const auto& entry) { return !entry.second.empty(); });
        return lines;
    }

    World world{"keys=8", {.loader = true}};
    ScriptedBsl bsl;
    Log log;
    std::vector<uint32_t> ticks;
};

// The programming time is in whole seconds, truncated.
TEST_F(Programming, ASuccessfulRunReportsEveryStepInOrder) {
    bsl.afterFileSent = [] { Sleep(59999); };
    ASSERT_TRUE(program());
    const Log expected = {
        {5, ""},
        {10, "Password Sent Successfully\r\n"},
        {20, "Sending RAM BSL v00.06.05.34\r\n"},
        {30, "Done RAM BSL v00.06.05.34\r\n"},
        {35, ""},
        {40, ""},
        {45, ""},
        {60, "Erasing memory segments \r\n"},
        {70, "Sending " + kSampleFirmware + "\r\n"},
        {75, "Firmware Sent\r\n"},
        {80, "Verifying memory\r\n"},
        {85, "Memory successfully verified\r\n"},
        {90, "Total programming time is 59s \r\n"},
        {90, "Resetting Device...\r\nStarting application\r\n"},
        {100, "Done!"},
    };
    EXPECT_EQ(log, expected);
    // The shipped loader version can miss the first reset.
    EXPECT_EQ(bsl.resetTexts, 2);
    EXPECT_EQ(world.loader->massErases(), 0);
    world.waitForRestart();
    EXPECT_TRUE(world.keypadPresent());
    EXPECT_EQ(world.simulation.keypad->variant().firmwareVersion, "7.3");
}

// After a mass erase only the reset vector's segment and the information memory the image writes
// are erased one by one.
TEST_F(Programming, ARejectedPasswordTakesTheMassErasePath) {
    std::ifstream sample(kSampleFirmware, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(sample)), {});
    std::string image = ::testing::TempDir() + "with_info_memory.txt";
    std::ofstream(image, std::ios::binary) << "@1880\r\n11 22 33\r\n" << text;
    std::fill_n(world.loader->memory().begin() + 0x1880, 128, uint8_t{0x00});  // old contents
    world.loader->memory()[0xFFE0] ^= 0x01;  // the keypad's firmware has other vectors
    ASSERT_TRUE(program(image)) << texts().back().second;
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[1], (std::pair<int, std::string>{5, "Mass erase occured!\r\n"}));
    // The default password waits for the erase.
    EXPECT_GE(ticks[2] - ticks[1], 2000u);
    for (const auto& entry : log) {
        EXPECT_NE(entry.second, "Erasing memory segments \r\n");
    }
    EXPECT_EQ(bsl.segmentErases, 2);
    // The second opening used the default password.
    EXPECT_EQ(world.loader->massErases(), 1);
    EXPECT_EQ(world.loader->memory()[0x1881], 0x22);
}

// Each start-up failure ends the first attempt with its line, then the retry fails the same way.
TEST_F(Programming, EachStartUpFailureIsSaidAndRetriedOnce) {
    const Log opened = {{10, "Password Sent Successfully\r\n"},
                        {20, "Sending RAM BSL v00.06.05.34\r\n"},
                        {30, "Done RAM BSL v00.06.05.34\r\n"}};
    const Log refused = {{5, "Mass erase occured!\r\n"}};
    const std::pair<int, std::string> noVersion = {50, "Failed to read data from RAM BSL\r\n"};
    std::tuple<const char*, std::function<void()>, Log, std::pair<int, std::string>> cases[] = {
        {"ERROR", [&] { bsl.versionText = [] { return "ERROR"; }; }, opened, noVersion},
        {"00.06.05.33",
         [&] {
             world.loader->faults.versionReply = std::array<uint8_t, 4>{0, 6, 5, 0x33};
         },
         opened, noVersion},
        {"a short text", [&] { bsl.versionText = [] { return "Vendor:00"; }; }, opened, noVersion},
        {"password refused by the RAM loader",
         [&] { bsl.passwordAnswer = [](int n, uint8_t real) { return n % 2 == 0 ? 5 : real; }; },
         opened,
         {50, "Password FAILED after sending RAM BSL!\r\n"}},
        {"both passwords refused",
         [&] { bsl.passwordAnswer = [](int, uint8_t) { return 5; }; },
         refused,
         {10, "Password FAILED!\r\n"}},
        {"no loader on the bus",
         [&] { world.simulation.bus->detach(world.loader.get()); },
         {},
         {0, "USB device was unplugged!\r\n"}},
    };
    // In this order: the refused passwords erase the flash.
    for (const auto& [name, arrange, firstTry, last] : cases) {
        SCOPED_TRACE(name);
        log.clear();
        bsl.passwords = 0;
        arrange();
        EXPECT_FALSE(program());
        Log attempt = firstTry;
        attempt.push_back(last);
        Log expected = attempt;
        expected.emplace_back(50, "Unsuccessful in starting the BSL. Restarting. \r\n");
        expected.insert(expected.end(), attempt.begin(), attempt.end());
        EXPECT_EQ(texts(), expected);
        bsl.versionText = nullptr;
        bsl.passwordAnswer = nullptr;
        world.loader->faults.versionReply.reset();
    }
}

// A failed erase of the reset vector is said and the programming goes on; a RAM loader of
// another version is reset once.
TEST_F(Programming, AFailedResetVectorEraseAndAnotherLoaderVersion) {
    bsl.resetVectorErase = 0x07;
    world.loader->faults.versionReply = std::array<uint8_t, 4>{0, 7, 1, 0};
    LoaderResources resources = LoaderResources::fromFirmwareItems();
    resources.ramBslVersion = "00.07.01.00";
    ASSERT_TRUE(program(kSampleFirmware, resources));
    EXPECT_EQ(bsl.resetTexts, 1);
    Log lines = texts();
    auto said = std::find(lines.begin(), lines.end(),
                          std::pair<int, std::string>{50, "Failed to erase reset vector\r\n"});
    ASSERT_NE(said, lines.end());
    EXPECT_EQ(said[1].second, "Erasing memory segments \r\n");
}

// A text longer than its loader buffer stops the upgrade before anything reaches the part.
TEST_F(Programming, ALoaderTextThatDoesNotFitStopsBeforeAnythingIsSent) {
    LoaderResources resources = LoaderResources::fromFirmwareItems();
    resources.ramBslText.resize(kRamBslBufferSize, '\n');
    EXPECT_FALSE(program(kSampleFirmware, resources));
    const Log expected = {
        {0, "Loader text too long: RAM_BSL.Text has 20000 bytes, at most 19999 fit\r\n"}};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(world.loader->reportsReceived(), 0);

    LoaderResources fits = LoaderResources::fromFirmwareItems();
    fits.passwordText.resize(kPasswordBufferSize - 1, ' ');
    fits.forcedBorText.resize(kForcedBorBufferSize - 1, ' ');
    EXPECT_EQ(oversizedLoaderText(std::string(kConnectionBufferSize - 1, 'c'), fits), std::nullopt);
    fits.forcedBorText += ' ';
    EXPECT_NE(oversizedLoaderText("", fits), std::nullopt);
    EXPECT_NE(oversizedLoaderText(std::string(kConnectionBufferSize, 'c'), {}), std::nullopt);
}

TEST(PadHexStringValue, WidensToFourDigits) {
    const auto widened = std::to_array<std::pair<std::string, std::string>>({
        {"0x2", "0x0002"},
        {"0x20", "0x0020"},
        {"0x200", "0x0200"},
        {"0x2047", "0x2047"},
        {"0x12345", "0x12345"},
    });
    for (const auto& [in, out] : widened) {
        EXPECT_EQ(padHexStringValue(in), out) << in;
    }
    EXPECT_EQ(loaderConnectionString(), "PID=0x0200,VID=0x2047,DEVICEINDEX=0");
}

}  // namespace
}  // namespace lumora_usb_encoder
