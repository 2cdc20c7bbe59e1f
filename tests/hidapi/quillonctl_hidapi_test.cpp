#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "../cli/cli_runner.h"
#include "../socket/quillon_sim_process.h"
#include "../socket/temp_socket.h"
#include "firmware/firmware_resources.h"

namespace lumora_usb_encoder::testing {
namespace {

// quillonctl as installed, with no --hid-socket: only its hidapi backend can find the keypad.
class HidapiPath : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(sim_.ready()); }
    CliRun run(const std::string& arguments) {
        return runQuillonctl(arguments, "env -u QUILLON_HID_SOCKET LD_LIBRARY_PATH=" STANDIN_DIR
                                        " QUILLON_STANDIN_SOCKET=" +
                                            path_);
    }
    int brightness() {
        auto status = run("--json status");
        EXPECT_EQ(status.exitCode, 0) << status.err;
        return status.exitCode == 0 ? nlohmann::json::parse(status.out)["ledBrightness"].get<int>()
                                    : -1;
    }
    std::string path_ = tempSocketPath();
    QuillonSimProcess sim_{path_, "brightness=3,type=2"};
    std::filesystem::path folder_ = std::filesystem::path(::testing::TempDir()) / "hidapi_path";
};

TEST_F(HidapiPath, StatusSaveRestoreATableAndAnUpgradeWithRestore) {
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    std::string settings = "--settings " + (folder_ / "USBUtilityCfg.ini").string();
    ASSERT_EQ(brightness(), 3);
    ASSERT_EQ(run("set brightness 7").exitCode, 0);
    auto save = run(settings + " save");
    ASSERT_EQ(save.exitCode, 0) << save.err;
    ASSERT_EQ(run("set brightness 2").exitCode, 0);
    auto restore = run(settings + " --yes config restore");
    EXPECT_EQ(restore.exitCode, 0) << restore.err;
    EXPECT_EQ(brightness(), 7);
    ASSERT_EQ(run("table set 2=z").exitCode, 0);  // key 2's code: its second table entry
    EXPECT_EQ(nlohmann::json::parse(run("--json status").out)["codeTable"][3], 0x1D);

    // A RAM loader named by file, as a real keypad needs; the simulated loader runs ours.
    std::string ramBsl = (folder_ / "ram_bsl.txt").string();
    std::ofstream(ramBsl) << builtInRamLoaderText();
    auto upgrade = run(settings + " firmware upgrade " QUILLON_SAMPLE_FIRMWARE " --ram-bsl " +
                       ramBsl + " --yes");
    EXPECT_EQ(upgrade.exitCode, 0) << upgrade.err << upgrade.out;
    for (const char* said :
         {"Starting\nPassword Sent Successfully\n", "Memory successfully verified\n", "Done!\n"}) {
        EXPECT_NE(upgrade.out.find(said), std::string::npos) << upgrade.out;
    }
    EXPECT_EQ(brightness(), 7) << "the settings came back after the upgrade";
    EXPECT_FALSE(std::filesystem::exists(folder_ / "UpgradeBackup.ini"));
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
