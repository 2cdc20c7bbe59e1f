// The stage an upgrade backup notes: only an upgrade that reached the flash leaves a backup that
// must go back; one that never got that far gives way to what the keypad holds.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "common/scoped_env.h"
#include "common/settings_text.h"
#include "common/world.h"
#include "firmware/loader_protocol.h"
#include "support/ini_file.h"
#include "upgrade/pending_backup.h"
#include "upgrade/upgrade_mode.h"
#include "upgrade_run.h"

namespace lumora_usb_encoder::testing {
namespace {

namespace fs = std::filesystem;

// The loader command a report written to the loader carries, if any.
std::optional<loader::Command> loaderCommand(const hid::TracedReport& report) {
    if (report.direction != hid::TracedReport::Direction::Written) {
        return std::nullopt;
    }
    auto core = loader::unwrapReport(report.bytes);
    if (core.empty()) {
        return std::nullopt;
    }
    return static_cast<loader::Command>(core.front());
}

TEST(BackupStage, OnlyABackupWhoseUpgradeReachedTheFlashIsPending) {
    struct Row {
        const char* name;
        std::string text;  // the backup file
        bool pending;
    };
    const std::string older = savedSettingsText();  // written before stages were noted
    const Row rows[] = {
        {"BeforeUpgradeMode", older + " UpgradeStage=UpgradeMode\r\n", false},
        {"FlashTouched", older + " UpgradeStage=FlashTouched\r\n", true},
        {"OlderBackupWithoutAStage", older, true},
        {"StageThisProgramNeverWrites", older + " UpgradeStage=Halfway\r\n", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        std::string backup = folder.write("UpgradeBackup.ini", row.text);
        std::string problem;
        EXPECT_EQ(pendingBackup(backup, problem).has_value(), row.pending) << problem;
        EXPECT_TRUE(storedBackup(backup, problem).has_value()) << problem;
        EXPECT_EQ(retireUntouchedBackup(backup), !row.pending);
        EXPECT_EQ(fs::exists(backup), row.pending);
    }
}

// The backup says the flash is touched by the time it is: before the first erase goes out, and
// once a refused password has made the loader erase it all.
TEST(BackupStage, TheFlashIsNotedAsTouchedBeforeItChanges) {
    struct Row {
        const char* name;
        bool wrongPassword;  // the flash holds other vectors than the password sent
    };
    const Row rows[] = {{"FirstErase", false}, {"MassEraseOfAWrongPassword", true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        World world{keypadWithItsOwnSettings(), {.loader = true, .openKeypad = true}};
        UpgradeRun run{world};
        if (row.wrongPassword) {
            world.loader->memory()[0xFFE0] ^= 0xFF;
        }
        int passwords = 0;
        std::optional<bool> pendingAtFirstPassword;
        std::optional<bool> pendingAtFlashChange;
        world.onReport = [&](const hid::TracedReport& report) {
            auto command = loaderCommand(report);
            bool password = command == loader::Command::RxPassword;
            passwords += password ? 1 : 0;
            std::string problem;
            bool pending = pendingBackup(run.backup, problem).has_value();
            if (password && passwords == 1) {
                pendingAtFirstPassword = pending;
            }
            // A refused password is followed at once by the default one.
            bool massErased = row.wrongPassword && password && passwords == 2;
            bool erase = command == loader::Command::EraseSegment;
            if ((erase || massErased) && !pendingAtFlashChange) {
                pendingAtFlashChange = pending;
            }
        };
        ASSERT_EQ(run.upgrade(), UpgradeOutcome::Done);
        EXPECT_EQ(run.logged("Mass erase occured!\r\n"), row.wrongPassword);
        EXPECT_EQ(pendingAtFirstPassword, std::optional(false));
        EXPECT_EQ(pendingAtFlashChange, std::optional(true));
    }
}

// Without the note on the disk the flash is not erased: the keypad comes back as it was.
TEST(BackupStage, ABackupThatCannotNoteTheFlashStopsTheUpgradeBeforeAnyErase) {
    World world{keypadWithItsOwnSettings(), {.loader = true, .openKeypad = true}};
    UpgradeRun run{world};
    bool erased = false;
    world.onReport = [&](const hid::TracedReport& report) {
        auto command = loaderCommand(report);
        erased = erased || command == loader::Command::EraseSegment;
        if (command == loader::Command::RxPassword && !fs::is_directory(run.backup)) {
            fs::remove(run.backup);
            fs::create_directory(run.backup);  // nothing can be written there now
        }
    };
    EXPECT_EQ(run.upgrade(), UpgradeOutcome::Failed);
    EXPECT_FALSE(erased);
    ASSERT_FALSE(run.log.empty());
    EXPECT_NE(run.log.back().find("Nothing was erased"), std::string::npos) << run.log.back();
    world.onReport = nullptr;
    world.loader->replug();
    EXPECT_EQ(run.settingsNow(), run.original);
}

// The firmware button with a pending backup that differs from the keypad: the user says whose
// settings go back; the same settings need no question.
TEST(BackupStage, TheFirmwareButtonAsksWhoseSettingsGoBack) {
    enum Answer : size_t { kBackups, kKeypads, kCancel, kNotAsked };
    const std::vector<std::string> kAnswers = {"Settings of 2024-03-01 12:34", "The Keypad's Now",
                                               "Cancel"};
    // The backup's date as the person reads it, in a zone the test fixes.
    ScopedEnv zone("TZ", "UTC0");
    tzset();
    using namespace std::chrono;
    const sys_seconds kSavedAtUtc = sys_days{year{2024} / 3 / 1} + 12h + 34min;
    const auto kSavedAt = file_clock::from_sys(kSavedAtUtc);
    struct Row {
        const char* name;
        uint8_t backupBrightness;  // the keypad's is 7
        Answer answer;
        UpgradeModeResult result;
        bool earlierBackup;
        uint8_t brightnessKept;  // in the backup afterwards
        BackupStage stage;
    };
    const Row rows[] = {
        {"BackupsChosen", 3, kBackups, UpgradeModeResult::LoaderEntered, true, 3,
         BackupStage::FlashTouched},
        {"KeypadsChosen", 3, kKeypads, UpgradeModeResult::LoaderEntered, false, 7,
         BackupStage::UpgradeMode},
        {"Cancelled", 3, kCancel, UpgradeModeResult::Declined, false, 3, BackupStage::FlashTouched},
        {"SameSettings", 7, kNotAsked, UpgradeModeResult::LoaderEntered, true, 7,
         BackupStage::FlashTouched},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        World world{keypadWithItsOwnSettings(), {.loader = true, .openKeypad = true}};
        std::string backup = world.folder.file("UpgradeBackup.ini");
        KeypadSettings earlier = readKeypadSettings().value();
        earlier.ledBrightness = row.backupBrightness;
        ASSERT_TRUE(writeUpgradeBackup(backup, earlier, "", BackupStage::FlashTouched));
        fs::last_write_time(backup, kSavedAt);
        world.ui.choices = {row.answer};
        world.ui.unscriptedAnswer = true;
        KeypadFields fields;
        UpgradeCapture capture;
        EXPECT_EQ(requestFirmwareUpgrade(world.ui, fields, capture, backup), row.result);
        auto asked = world.ui.shown(RecordingUi::Kind::Choice);
        ASSERT_EQ(asked.size(), row.answer == kNotAsked ? 0U : 1U);
        if (!asked.empty()) {
            EXPECT_NE(asked[0].find("(saved 2024-03-01 12:34)"), std::string::npos) << asked[0];
            EXPECT_EQ(world.ui.messages.front().answers, kAnswers);
        }
        EXPECT_EQ(capture.earlierBackup, row.earlierBackup);
        std::string problem;
        auto kept = readStoredBackup(backup, problem);
        ASSERT_TRUE(kept) << problem;
        EXPECT_EQ(kept->settings.ledBrightness, row.brightnessKept);
        EXPECT_EQ(kept->stage, row.stage);
        bool sent = !world.changesSent().empty();
        EXPECT_EQ(sent, row.result != UpgradeModeResult::Declined);
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
