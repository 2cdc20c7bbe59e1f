// save, config restore/export/import, table show.
#include <filesystem>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/backup_notices.h"
#include "cli/cli_context.h"
#include "cli/status_output.h"
#include "codetable/modifier_list.h"
#include "codetable/usage_list.h"
#include "device/status_record.h"
#include "settings/config_files.h"
#include "settings/keypad_fields.h"
#include "settings/keypad_jobs.h"
#include "settings/settings_file.h"
#include "support/platform_files.h"
#include "upgrade/pending_backup.h"

namespace lumora_usb_encoder::cli {

namespace {

int exitFor(LoadResult result, bool keypadOpen, Context& ctx, const std::string& file) {
    switch (result) {
        case LoadResult::Sent:
            return Done;
        case LoadResult::NotSaved:
            ctx.err() << file << " holds no saved settings (FirstUp is not Yes); nothing sent\n";
            return BadUsage;
        case LoadResult::Unreadable:
        case LoadResult::IncorrectFormat:
            return BadUsage;
        case LoadResult::StepFailed:
        case LoadResult::TableFailed:
            return keypadOpen ? KeypadFailed : NoKeypad;
    }
    return KeypadFailed;
}

// "Save Changes": the keypad keeps its current settings as defaults, then the snapshot is stored.
int save(Context& ctx) {
    std::string settings = ctx.preparedSettingsFile();
    if (!ctx.openKeypad()) {
        return NoKeypad;
    }
    KeypadFields fields;
    switch (saveChanges(ctx.ui(), fields, settings)) {
        case SaveChangesResult::Saved:
            retireBackupAfterStatusRead(ctx);
            if (auto kept = pendingBackupKeptNotice(settings); !kept.empty()) {
                ctx.err() << kept << " 'quillonctl firmware discard-backup' discards it.\n";
            }
            return Done;
        case SaveChangesResult::WriteDefaultsFailed:
        case SaveChangesResult::StatusFailed:
            return KeypadFailed;
        case SaveChangesResult::FileWriteFailed:
            return BadUsage;
    }
    return KeypadFailed;
}

int restore(Context& ctx, const std::string& given) {
    std::string file = given.empty() ? ctx.preparedSettingsFile() : given;
    if (!fileExists(file)) {
        throw UsageError(file + ": no such file");
    }
    if (!ctx.openKeypad()) {
        return NoKeypad;
    }
    LoadResult result = load_data_from_file(ctx.ui(), file);
    // Read again after a restore, as the window's status display would be.
    (void)printKeypadStatus(ctx.out(), ctx.options().json);
    return exitFor(result, true, ctx, file);
}

int exportTo(Context& ctx, const std::string& dest) {
    std::string settings = ctx.preparedSettingsFile();
    std::error_code error;
    std::string target =
        std::filesystem::is_directory(utf8Path(dest), error) ? exchangeFileIn(dest) : dest;
    switch (exportConfigFileTo(ctx.ui(), target, settings)) {
        case ExportResult::Exported:
            ctx.out() << target << '\n';
            return Done;
        case ExportResult::Declined:
            ctx.err() << target << " kept; nothing exported\n";
            return BadUsage;
        default:
            return BadUsage;
    }
}

int importFrom(Context& ctx, const std::string& file) {
    std::string settings = ctx.preparedSettingsFile();
    bool keypadOpen = ctx.openKeypad();
    ImportOutcome outcome = importConfigFileFrom(ctx.ui(), file, settings);
    if (outcome.result == ImportResult::NotApplied) {
        ctx.err() << settings << " left as it was\n";
        return exitFor(outcome.load, keypadOpen, ctx, file);
    }
    if (outcome.result == ImportResult::KeptUnsaved) {
        ctx.err() << settings << " left as it was: " << file
                  << " holds no saved settings (FirstUp is not Yes); nothing sent\n";
        return BadUsage;
    }
    if (outcome.result != ImportResult::Imported) {
        return BadUsage;
    }
    return outcome.load == LoadResult::NotSaved ? Done
                                                : exitFor(outcome.load, keypadOpen, ctx, file);
}

// Every key's entry in the tables of the 12- and 16-key editors; the small keypads' list is the
// same but for its length and one spelling, and a table byte may lie beyond it.
int showTable(Context& ctx) {
    if (!ctx.openKeypad()) {
        return NoKeypad;
    }
    auto status = readDeviceStatus();
    if (!status) {
        ctx.ui().warn("Unable to get device status information", kCaptionQuillon);
        return KeypadFailed;
    }
    nlohmann::json keys = nlohmann::json::array();
    for (size_t k = 0; k + 1 < status->codeTable.size(); k += 2) {
        uint8_t modifier = status->codeTable[k];
        uint8_t usage = status->codeTable[k + 1];
        const char* modifierLabel =
            kModifierLabels[static_cast<size_t>(modifierIndexFromByte(modifier))];
        const char* usageLabel = kFullUsageLabels[usage];
        if (ctx.options().json) {
            keys.push_back({{"key", k / 2 + 1},
                            {"modifier", modifier},
                            {"modifierLabel", modifierLabel},
                            {"usage", usage},
                            {"usageLabel", usageLabel}});
        } else {
            ctx.out() << k / 2 + 1 << '\t' << modifierLabel << '\t' << usageLabel << '\n';
        }
    }
    if (ctx.options().json) {
        ctx.out() << nlohmann::json{{"keypadType", status->keypadType}, {"keys", keys}} << '\n';
    }
    return Done;
}

void addConfigCommands(CLI::App& app, Context& ctx) {
    auto* config = app.add_subcommand("config", "the settings file and the exchange file");
    config->require_subcommand(1);
    auto file = std::make_shared<std::string>();
    auto* restoreCommand = config->add_subcommand(
        "restore", "send the settings held in FILE (default: the settings file)");
    restoreCommand->add_option("FILE", *file, "a settings or exchange file");
    restoreCommand->callback([&ctx, file] { ctx.run([&] { return restore(ctx, *file); }); });

    auto dest = std::make_shared<std::string>();
    auto* exportCommand = config->add_subcommand(
        "export", "copy the settings file to DEST (a folder: DEST/USBUtilityQuillonCfg.ini)");
    exportCommand->add_option("DEST", *dest, "a folder or a file")->required();
    exportCommand->callback([&ctx, dest] { ctx.run([&] { return exportTo(ctx, *dest); }); });

    auto source = std::make_shared<std::string>();
    auto* importCommand = config->add_subcommand(
        "import", "send the settings of an exchange file and make it the settings file");
    importCommand->add_option("FILE", *source, "a file named USBUtilityQuillonCfg.ini")->required();
    importCommand->callback([&ctx, source] { ctx.run([&] { return importFrom(ctx, *source); }); });
}

const CommandRegistration registration([](CLI::App& app, Context& ctx) {
    app.add_subcommand("save",
                       "write defaults on the keypad, then store the snapshot in the settings file")
        ->callback([&ctx] { ctx.run([&] { return save(ctx); }); });
    addConfigCommands(app, ctx);
    commandGroup(app, "table", "the code table")
        ->add_subcommand("show", "one key a line: number, modifier label, usage label")
        ->callback([&ctx] { ctx.run([&] { return showTable(ctx); }); });
});

}  // namespace

}  // namespace lumora_usb_encoder::cli
