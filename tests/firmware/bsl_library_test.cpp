#include "firmware/bsl_library.h"

#include <gtest/gtest.h>

#include <fstream>

#include "common/world.h"
#include "firmware/crc.h"
#include "firmware/firmware_resources.h"
#include "firmware/programming_sequence.h"

namespace lumora_usb_encoder {
namespace {

using testing::kSampleFirmware;
using testing::World;

class BslOverSimulator : public ::testing::Test {
  protected:
    BslOverSimulator() { world.enterLoader(); }
    uint8_t open() {
        bsl.BSL_setFamily(kFamilyF5xx);
        bsl.BSL_setCom(kComUsb);
        return bsl.BSL_initialize_BSL(loaderConnectionString());
    }
    DataBlock_ password() { return bsl.BSL_readTI_Text(*Firmware::item("password.Text"), 32); }
    // What the start-up does: ROM loader, password, RAM loader, restart, password again.
    void startRamLoader() {
        ASSERT_EQ(open(), 0);
        ASSERT_EQ(bsl.BSL_RX_Password(password()), 0);
        ASSERT_EQ(bsl.BSL_RX_TXT(builtInRamLoaderText(), kSendFast), 0u);
        ASSERT_EQ(bsl.BSL_LoadPC(kRamBslEntry), 0);
        bsl.BSL_close_BSL();
        world.waitForRestart();
        ASSERT_EQ(open(), 0);
        ASSERT_TRUE(world.loader->ramLoaderRunning());
        ASSERT_EQ(bsl.BSL_RX_Password(password()), 0);
    }

    World world{"keys=8", {.loader = true}};
    BslLibrary bsl;
};

TEST_F(BslOverSimulator, OpensOnlyAPresentLoaderOfTheSupportedKind) {
    const char* const first = "PID=0x0200,VID=0x2047,DEVICEINDEX=0";
    struct Row {
        const char* name;
        bool loaderThere;
        uint32_t family;
        uint32_t com;
        const char* text;
        uint8_t result;
    };
    const Row rows[] = {
        {"LoaderPresent", true, 3, 2, first, 0},
        {"OnlyTheKeypad", false, 3, 2, first, kBslDeviceAbsent},
        {"SecondDevice", true, 3, 2, "PID=0x0200,VID=0x2047,DEVICEINDEX=1", kBslDeviceAbsent},
        {"BadText", true, 3, 2, "PID=0x0200", kBslBadArgument},
        {"EmptyText", true, 3, 2, "", kBslBadArgument},
        {"OtherFamily", true, 1, 2, "PID=0x0200,VID=0x2047", kBslUnsupported},
        {"SerialPort", true, 3, 1, "PID=0x0200,VID=0x2047", kBslUnsupported},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        World local("keys=8", {.loader = true});
        if (row.loaderThere) {
            local.enterLoader();
        }
        BslLibrary library;
        library.BSL_setFamily(row.family);
        library.BSL_setCom(row.com);
        EXPECT_EQ(library.BSL_initialize_BSL(row.text), row.result);
        EXPECT_EQ(BslLibrary::BSL_NumOfUSBDevices(0x2047, 0x0200), row.loaderThere ? 1u : 0u);
    }
}

TEST_F(BslOverSimulator, AWrongPasswordErasesMainFlashAndLeavesTheDefaultOne) {
    world.loader->memory()[0x1800] = 0x12;  // information memory survives a mass erase
    ASSERT_EQ(open(), 0);
    DataBlock_ wrong = password();
    wrong.data[3] ^= 0xFF;
    EXPECT_EQ(bsl.BSL_RX_Password(wrong), 0x05);
    EXPECT_EQ(world.loader->massErases(), 1);
    EXPECT_EQ(world.loader->memory()[0x4400], 0xFF);
    EXPECT_EQ(world.loader->memory()[0xFFFE], 0xFF);
    EXPECT_EQ(world.loader->memory()[0x1800], 0x12);
    // The old password is gone with the flash.
    EXPECT_EQ(bsl.BSL_RX_Password(password()), 0x05);
    EXPECT_EQ(bsl.BSL_RX_Password(bsl.BSL_getDefaultPass()), 0);
    DataBlock_ shortBlock = password();
    shortBlock.numberOfBytes = 31;
    EXPECT_EQ(bsl.BSL_RX_Password(shortBlock), kBslBadArgument);
}

// The loader in protected flash only loads RAM; the RAM loader answers the full set, and only
// after the password.
TEST_F(BslOverSimulator, TheRamLoaderAnswersTheFullSetOnlyAfterThePassword) {
    ASSERT_EQ(open(), 0);
    EXPECT_TRUE(bsl.deviceIsSimulated());
    ASSERT_EQ(bsl.BSL_RX_Password(password()), 0);
    EXPECT_EQ(bsl.BSL_eraseSegment(0xFFFF), 0x07);
    EXPECT_EQ(bsl.BSL_CRC_Check(0x4400, 16), 0x07);
    EXPECT_STREQ(bsl.BSL_TX_BSL_Version_String(), "ERROR");
    ASSERT_EQ(bsl.BSL_RX_TXT(builtInRamLoaderText(), kSendFast), 0u);
    ASSERT_EQ(bsl.BSL_LoadPC(kRamBslEntry), 0);
    world.waitForRestart();
    // The started RAM loader asks for the password again.
    ASSERT_EQ(open(), 0);
    EXPECT_EQ(bsl.BSL_eraseSegment(0x4400), 0x04);
    EXPECT_STREQ(bsl.BSL_TX_BSL_Version_String(), "ERROR");
    ASSERT_EQ(bsl.BSL_RX_Password(password()), 0);
    EXPECT_STREQ(bsl.BSL_TX_BSL_Version_String(), "Vendor:00 CI: 0x06 API 0x05 PI 0x34");
    EXPECT_EQ(bsl.BSL_eraseSegment(0x4400), 0);
    EXPECT_EQ(world.loader->massErases(), 0);
}

TEST_F(BslOverSimulator, ProgramsAnImageInFullReports) {
    startRamLoader();
    for (uint32_t segment = 0x4400; segment < 0x24400; segment += 512) {
        ASSERT_EQ(bsl.BSL_eraseSegment(segment), 0);
    }
    int before = world.loader->reportsReceived();
    ASSERT_EQ(bsl.BSL_RX_TXT_File(kSampleFirmware, kSendFast), 0u) << bsl.lastError();
    // 6144 bytes at 0x4400, 8 at 0xFF40, 32 + 1000 from 0xFFE0: 106 + 1 + 18 reports of 58.
    EXPECT_EQ(world.loader->reportsReceived() - before, 125);
    EXPECT_EQ(world.loader->imageVersion(), "7.3");
}

TEST_F(BslOverSimulator, ADeviceThatLeftFailsEveryCallCleanly) {
    startRamLoader();
    world.loader->faults.unplugAfterReports = 0;
    EXPECT_NE(bsl.BSL_eraseSegment(0x4400), 0);
    Sleep(5);
    EXPECT_NE(bsl.BSL_CRC_Check(0x4400, 2), 0);
    EXPECT_STREQ(bsl.BSL_TX_BSL_Version_String(), "ERROR");
    EXPECT_NE(bsl.BSL_RX_TXT_File(kSampleFirmware, kSendFast), 0u);
    EXPECT_FALSE(world.loaderPresent());
    bsl.BSL_close_BSL();
    EXPECT_EQ(bsl.BSL_eraseSegment(0x4400), kBslNotOpen);
}

// Checked writes report flash that was not erased; a reset with an erased reset vector stays in
// the loader.
TEST_F(BslOverSimulator, CheckedWritesAndAResetWithAnErasedResetVector) {
    startRamLoader();
    // 0x4400 still holds the factory image: writing other bits over it cannot succeed.
    // Clearing bits works.
    EXPECT_EQ(bsl.BSL_RX_TXT("@4400\r\n00 00 00 00\r\nq", 0), 0u);
    EXPECT_EQ(bsl.BSL_RX_TXT("@4400\r\nFF\r\nq", 0), 0x01u);
    EXPECT_EQ(bsl.BSL_RX_TXT("@4400\r\nnot hex\r\nq", 0), kBslBadArgument);
    ASSERT_EQ(bsl.BSL_eraseSegment(0xFFFF), 0);
    ASSERT_EQ(bsl.BSL_RX_TXT(*Firmware::item("Forced_BOR.Text"), kSendFast), 0u);
    world.waitForRestart();
    EXPECT_TRUE(world.loaderPresent());
    EXPECT_FALSE(world.loader->ramLoaderRunning());
    EXPECT_FALSE(world.keypadPresent());
}

TEST(BslImageFile, UnreadableFilesCountAsUnopenable) {
    const std::string bad = ::testing::TempDir() + "bad_image.txt";
    std::ofstream(bad) << "@4400\n01 0G\nq\n";
    const std::pair<std::string, std::string> files[] = {
        {"/nonexistent/image.txt", "cannot read"},
        {bad, "line 2"},
    };
    for (const auto& [path, says] : files) {
        SCOPED_TRACE(path);
        BslLibrary bsl;
        EXPECT_EQ(bsl.BSL_openTI_TextForRead(path), kBslCannotOpenFile);
        EXPECT_NE(bsl.lastError().find(says), std::string::npos) << bsl.lastError();
        EXPECT_EQ(bsl.BSL_moreDataToRead_TextFile(), 0);
        EXPECT_EQ(bsl.BSL_readTI_TextFile(512).numberOfBytes, 0u);
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
