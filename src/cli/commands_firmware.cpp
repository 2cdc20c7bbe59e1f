// firmware upgrade, firmware restore-settings, firmware discard-backup.

#include <ostream>

#include "cli/cli_context.h"
#include "device/device_connection.h"
#include "firmware/bsl_library.h"
#include "firmware/image_check.h"
#include "settings/settings_file.h"
#include "support/platform_files.h"
#include "support/platform_process.h"
#include "upgrade/pending_backup.h"
#include "upgrade/ram_loader_check.h"
#include "upgrade/upgrade_capture.h"
#include "upgrade/upgrade_flow.h"

namespace lumora_usb_encoder::cli {

namespace {

// Log lines as the window's log box shows them; the percentage on one line of a terminal.
class UpgradeConsole {
  public:
    explicit UpgradeConsole(Context& ctx) : ctx_(ctx), terminal_(isTerminal(2)) {}
    ~UpgradeConsole() {
        if (terminal_ && shown_) {
            ctx_.err() << '\n';
        }
    }
    void report(int percent, const std::string& text) {
        if (terminal_) {
            ctx_.err() << "\rprogress " << percent << "%   " << std::flush;
            shown_ = true;
        }
        if (text.empty()) {
            return;
        }
        std::string line = text;
        for (size_t at; (at = line.find("\r\n")) != std::string::npos;) {
            line.replace(at, 2, "\n");
        }
        if (line.back() != '\n') {
            line += '\n';
        }
        if (terminal_) {
            ctx_.err() << '\r' << std::string(16, ' ') << '\r';
        }
        ctx_.out() << line << std::flush;
    }

  private:
    Context& ctx_;
    bool terminal_;
    bool shown_ = false;
};

int upgradeFirmware(Context& ctx, const std::string& image, const std::string& ramBsl) {
    std::string problem;
    if (!checkFirmwareImage(image, problem)) {
        ctx.err() << "Firmware image rejected: " << problem << '\n';
        return BadUsage;
    }
    ctx.selectBackend();
    // Said here, on stderr, before anything reaches the keypad; the flow checks it again.
    if (!ramLoaderAtHand(ramBsl, problem)) {
        for (size_t at; (at = problem.find("\r\n")) != std::string::npos;) {
            problem.replace(at, 2, "\n");
        }
        ctx.err() << problem << "Or name a RAM BSL image with --ram-bsl FILE.\n";
        return UpgradeFailed;
    }
    if (BslLibrary::BSL_NumOfUSBDevices(kLoaderVendorId, kLoaderProductId) > 0) {
        SilentUserInterface quiet;
        (void)rescanKeypad(quiet);  // a keypad may be there too; the loader is what counts
    } else if (!ctx.openKeypad()) {
        return NoKeypad;
    }
    UpgradeConsole console(ctx);
    // Its folder holds the settings backup; an upgrade that cannot write it stops below.
    FirmwareUpgradeOptions options{image, ramBsl, ctx.preparedSettingsFile(false)};
    auto outcome = runFirmwareUpgrade(
        options, ctx.ui(),
        [&console](int percent, const std::string& text) { console.report(percent, text); });
    switch (outcome) {
        case UpgradeOutcome::Done:
            return Done;
        case UpgradeOutcome::RestoreFailed:
            return KeypadFailed;
        case UpgradeOutcome::Declined:
            ctx.err() << "The firmware upgrade was not started.\n";
            return UpgradeFailed;
        case UpgradeOutcome::Failed:
            break;
    }
    return UpgradeFailed;
}

int restoreSettings(Context& ctx, const std::string& file) {
    std::string ownBackup = upgradeBackupPath(ctx.settingsFile());
    std::string backup = file.empty() ? ownBackup : file;
    ctx.selectBackend();
    UpgradeConsole console(ctx);
    std::string problem;
    SettingStep failed = SettingStep::Reopen;
    bool done = restoreSettingsFromBackup(
        backup, ownBackup, ctx.ui(),
        [&console](int percent, const std::string& text) { console.report(percent, text); },
        problem, &failed);
    if (!done && !problem.empty()) {
        ctx.err() << problem << '\n';
        return BadUsage;
    }
    if (done) {
        return Done;
    }
    // The first step opens the keypad: stopping there means there was none to write to.
    return failed == SettingStep::Reopen ? NoKeypad : KeypadFailed;
}

// The keypad keeps the settings it has now; nothing is sent, and no keypad is needed.
int discardUpgradeBackup(Context& ctx) {
    std::string backup = upgradeBackupPath(ctx.settingsFile());
    if (ctx.settingsFile().empty() || !pathExists(backup)) {
        ctx.err() << "No settings backup to discard"
                  << (ctx.settingsFile().empty() ? "" : " (" + backup + ")") << ".\n";
        return Done;
    }
    if (!discardBackup(backup)) {
        ctx.err() << "The settings backup cannot be removed: " << backup << '\n';
        return BadUsage;
    }
    ctx.err() << "Discarded " << backup << "; the keypad keeps the settings it has now.\n";
    return Done;
}

struct FirmwareArguments {
    std::string image;
    std::string ramBsl;
    std::string backup;
};

const CommandRegistration registration([](CLI::App& app, Context& ctx) {
    static FirmwareArguments args;
    auto* firmware = app.add_subcommand("firmware", "firmware upgrade through the loader");
    firmware->require_subcommand(1);
    auto* upgrade = firmware->add_subcommand(
        "upgrade", "capture settings, enter the loader, program and verify IMAGE, restore");
    upgrade->add_option("IMAGE", args.image, "TI-TXT firmware image")->required();
    upgrade->add_option("--ram-bsl", args.ramBsl, "the RAM loader image to send (TI-TXT)");
    upgrade->callback(
        [&ctx] { ctx.run([&] { return upgradeFirmware(ctx, args.image, args.ramBsl); }); });
    auto* restore = firmware->add_subcommand(
        "restore-settings", "replay the restore from the backup an interrupted upgrade left");
    restore->add_option("FILE", args.backup, "backup file (default: UpgradeBackup.ini)");
    restore->callback([&ctx] { ctx.run([&] { return restoreSettings(ctx, args.backup); }); });
    firmware
        ->add_subcommand("discard-backup",
                         "drop the backup an interrupted upgrade left; nothing is sent")
        ->callback([&ctx] { ctx.run([&] { return discardUpgradeBackup(ctx); }); });
});

}  // namespace

}  // namespace lumora_usb_encoder::cli
