// devices, status, set, factory-reset.
#include <ostream>

#include "cli/backup_notices.h"
#include "cli/cli_context.h"
#include "cli/device_listing.h"
#include "cli/status_output.h"
#include "device/device_access.h"
#include "device/device_connection.h"
#include "device/keypad_commands.h"
#include "firmware/bsl_library.h"
#include "settings/keypad_fields.h"
#include "settings/keypad_jobs.h"
#include "settings/settings_lists.h"
#include "upgrade/pending_backup.h"
#include "upgrade/upgrade_capture.h"

namespace lumora_usb_encoder::cli {

namespace {

int listDevices(Context& ctx) {
    // "Nothing found" would be untrue: nothing could be looked at (the reason is out already).
    if (!ctx.selectBackend()) {
        return NoKeypad;
    }
    DeniedDevice denied = printDevices(ctx.out(), ctx.options().json);
    if (!denied.path.empty()) {
        ctx.err() << "quillonctl: " << noAccessMessage(denied.what, denied.path) << '\n';
    }
    return Done;
}

int printCurrentStatus(Context& ctx) {
    if (!printKeypadStatus(ctx.out(), ctx.options().json)) {
        ctx.ui().warn("Unable to get device status information", kCaptionQuillon);
        return KeypadFailed;
    }
    retireBackupAfterStatusRead(ctx);
    if (auto notice = pendingBackupNotice(ctx.settingsFile()); !notice.empty()) {
        ctx.err() << notice << '\n';
    }
    return Done;
}

int factoryReset(Context& ctx) {
    if (!ctx.openKeypad()) {
        return NoKeypad;
    }
    KeypadFields fields;
    if (!factoryResetKeypad(ctx.ui(), fields)) {
        return KeypadFailed;
    }
    return printCurrentStatus(ctx);
}

// A keypad that an upgrade left in its loader is not connected as a keypad, and only an upgrade
// brings it back: that is what the user must hear, not just that no keypad is there.
void sayWhereTheKeypadIs(Context& ctx) {
    if (BslLibrary::BSL_NumOfUSBDevices(kLoaderVendorId, kLoaderProductId) == 0) {
        return;
    }
    ctx.err() << "A keypad is in its loader (2047:0200): 'quillonctl firmware upgrade IMAGE' "
                 "finishes the upgrade from there";
    std::string problem;
    std::string backup = upgradeBackupPath(ctx.settingsFile());
    if (!ctx.settingsFile().empty() && storedBackup(backup, problem)) {
        ctx.err() << " and writes back the settings kept in " << backup;
    }
    ctx.err() << ".\n";
}

int showStatus(Context& ctx) {
    if (!ctx.openKeypad()) {
        sayWhereTheKeypadIs(ctx);
        return NoKeypad;
    }
    return printCurrentStatus(ctx);
}

// One setting of the main window's lists: the command, the payload, the list's failure message.
int sendSetting(Context& ctx, Command command, uint8_t value, const char* failure) {
    if (!ctx.openKeypad()) {
        return NoKeypad;
    }
    if (sendByte(command, value) != kResultOk) {
        ctx.ui().warn(failure, kCaptionQuillon);
        return KeypadFailed;
    }
    return Done;
}

// The three tables of the keypad's own family (types 0-2, 3-5 or 6-8, by its current type), as
// the window's list offers them: a 16-key keypad set to type 2 would take the small keypads'
// table and stop answering for keys 11-16.
int setTable(Context& ctx, int entry) {
    if (!ctx.openKeypad()) {
        return NoKeypad;
    }
    KeypadFields fields;
    const SettingsListSpec& spec = settingsListSpec(SettingsList::KeypadType);
    if (GetDeviceStatusMessage(fields) != 0) {
        ctx.ui().warn(spec.failure, kCaptionQuillon);
        return KeypadFailed;
    }
    return commitListChoice(ctx.ui(), fields, SettingsList::KeypadType, entry) ? Done
                                                                               : KeypadFailed;
}

void addSetCommands(CLI::App& app, Context& ctx) {
    auto* set = app.add_subcommand("set", "change one keypad setting at once");
    set->require_subcommand(1);
    auto addByte = [&](const char* name, const char* help, int low, int high, Command command,
                       const char* failure) {
        auto value = std::make_shared<int>(0);
        auto* sub = set->add_subcommand(name, help);
        sub->add_option(name, *value)->required()->check(CLI::Range(low, high));
        sub->callback([&ctx, value, command, failure] {
            ctx.run(
                [&] { return sendSetting(ctx, command, static_cast<uint8_t>(*value), failure); });
        });
    };
    addByte("brightness", "LED brightness 0-9", 0, 9, Command::LedBrightness,
            "Unable to set the LED Brightness..");
    addByte("colour", "LED colour (0: white)", 0, 0, Command::LedColour,
            "Unable to set LED colour..");
    addByte("period", "buzzer period 1-9", 1, 9, Command::BuzzerPeriod,
            "Unable to set Buzzer Period..");

    auto addChoice = [&](const char* name, const char* help, std::map<std::string, int> choices,
                         Command command, const char* failure) {
        auto value = std::make_shared<int>(0);
        auto* sub = set->add_subcommand(name, help);
        sub->add_option(name, *value)
            ->required()
            ->transform(CLI::CheckedTransformer(std::move(choices), CLI::ignore_case));
        sub->callback([&ctx, value, command, failure] {
            ctx.run(
                [&] { return sendSetting(ctx, command, static_cast<uint8_t>(*value), failure); });
        });
    };
    addChoice("buzzer", "buzzer on|off", {{"off", 0}, {"on", 1}}, Command::Buzzer,
              "Unable to set Buzzer On/Off..");
    auto table = std::make_shared<int>(0);
    set->add_subcommand("table", "code table default|alternate|custom of the keypad's family")
        ->add_option("table", *table)
        ->required()
        ->transform(CLI::CheckedTransformer(
            std::map<std::string, int>{{"default", 0}, {"alternate", 1}, {"custom", 2}},
            CLI::ignore_case));
    set->get_subcommand("table")->callback(
        [&ctx, table] { ctx.run([&] { return setTable(ctx, *table); }); });
}

const CommandRegistration registration([](CLI::App& app, Context& ctx) {
    app.add_subcommand("devices", "keypads and loader devices present")->callback([&ctx] {
        ctx.run([&] { return listDevices(ctx); });
    });
    app.add_subcommand("status", "the status record and the three status lines")->callback([&ctx] {
        ctx.run([&] { return showStatus(ctx); });
    });
    app.add_subcommand("factory-reset", "factory reset, wait, reopen, status")->callback([&ctx] {
        ctx.run([&] { return factoryReset(ctx); });
    });
    addSetCommands(app, ctx);
});

}  // namespace

}  // namespace lumora_usb_encoder::cli
