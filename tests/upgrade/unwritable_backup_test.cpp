// While the keypad is in its loader its settings live only in the upgrade's backup. An upgrade
// whose backup cannot be written must leave the keypad where it is, from a terminal and from the
// firmware button alike.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "common/world.h"
#include "settings/keypad_fields.h"
#include "upgrade/upgrade_capture.h"
#include "upgrade/upgrade_flow.h"
#include "upgrade/upgrade_mode.h"

namespace lumora_usb_encoder::testing {
namespace {

namespace fs = std::filesystem;

WorldOptions keypadAndLoader() {
    WorldOptions options;
    options.loader = true;
    options.openKeypad = true;
    return options;
}

// Runs one way into the upgrade; true when it stopped as it should; `said` gets its words.
using Upgrade = std::function<bool(World&, const std::string& settingsFile, std::string& said)>;

bool fromATerminal(World& world, const std::string& settingsFile, std::string& said) {
    auto outcome = runFirmwareUpgrade({kSampleFirmware, "", settingsFile}, world.ui,
                                      [&said](int, const std::string& text) { said += text; });
    return outcome == UpgradeOutcome::Failed;
}

bool fromTheFirmwareButton(World& world, const std::string& settingsFile, std::string& said) {
    KeypadFields fields;
    UpgradeCapture capture;
    auto result =
        requestFirmwareUpgrade(world.ui, fields, capture, upgradeBackupPath(settingsFile));
    for (const auto& warning : world.ui.warnings()) {
        said += warning + "\n";
    }
    return result == UpgradeModeResult::BackupFailed;
}

TEST(UnwritableBackup, TheKeypadIsNotSentToItsLoader) {
    // Where the settings file lies, what stands in the backup's way, how the upgrade is started.
    const std::tuple<const char*, std::string, std::function<void(World&)>, Upgrade> cases[] = {
        {"BackupNameTakenByAFolderFromATerminal", "cfg/USBUtilityCfg.ini",
         [](World& world) {
             fs::create_directories(world.folder.path() / "cfg/UpgradeBackup.ini");
         },
         fromATerminal},
        {"BackupNameTakenByAFolderFromTheButton", "cfg/USBUtilityCfg.ini",
         [](World& world) {
             fs::create_directories(world.folder.path() / "cfg/UpgradeBackup.ini");
         },
         fromTheFirmwareButton},
        {"SettingsFolderIsAFileFromATerminal", "blocked/USBUtilityCfg.ini",
         [](World& world) { world.folder.write("blocked", "a file, not a folder"); },
         fromATerminal},
        {"SettingsFolderIsAFileFromTheButton", "blocked/USBUtilityCfg.ini",
         [](World& world) { world.folder.write("blocked", "a file, not a folder"); },
         fromTheFirmwareButton},
    };
    for (const auto& [name, settingsName, block, upgrade] : cases) {
        SCOPED_TRACE(name);
        World world("keys=8", keypadAndLoader());
        world.ui.unscriptedAnswer = true;
        block(world);
        std::string settingsFile = world.folder.file(settingsName);
        std::string said;
        EXPECT_TRUE(upgrade(world, settingsFile, said));
        EXPECT_NE(
            said.find("The settings backup cannot be written: " + upgradeBackupPath(settingsFile)),
            std::string::npos)
            << said;
        EXPECT_NE(said.find("Nothing was sent to the keypad; the firmware upgrade was not "
                            "started."),
                  std::string::npos)
            << said;
        EXPECT_TRUE(world.changesSent().empty());
        EXPECT_TRUE(world.keypadPresent());
        EXPECT_FALSE(world.loaderPresent());
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
