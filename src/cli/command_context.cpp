#include "cli/command_context.h"

#include <iostream>

#include "app/app_options.h"
#include "settings/settings_file.h"
#include "upgrade/upgrade_capture.h"

namespace lumora_usb_encoder::cli {

CommandContext::~CommandContext() {
    if (backendSelected_) {
        keypad_.close();
        hid::setBackend(nullptr);
    }
}

UserInterface& CommandContext::ui() {
    if (!ui_) {
        ui_ = std::make_unique<ConsoleUi>(err_, options_.yes);
    }
    return *ui_;
}

bool CommandContext::selectBackend() {
    if (backendSelected_) {
        return backendReached_;
    }
    std::string error;
    // A server that cannot be reached is told once on stderr; the commands then find no keypad,
    // as they would on an empty bus.
    auto chosen = makeChosenBackend(options_.device, error, [this](const std::string& message) {
        err_ << "quillonctl: " << message << '\n' << std::flush;
    });
    if (!chosen && options_.device.simulate) {
        throw UsageError(error);
    }
    if (!chosen) {
        err_ << "quillonctl: " << error << '\n';
    }
    hid::setBackend(chosen);  // nullptr: an empty bus
    backendSelected_ = true;
    backendReached_ = chosen != nullptr;
    return backendReached_;
}

bool CommandContext::openKeypad() {
    selectBackend();
    return keypad_.rescan(ui());
}

std::string CommandContext::settingsFile() {
    if (!options_.device.settingsFile.empty()) {
        return options_.device.settingsFile;
    }
    return defaultSettingsPath();
}

std::string CommandContext::preparedSettingsFile(bool required) {
    std::string path = settingsFile();
    if (!path.empty()) {
        made_.noteWithFolders(path);
        made_.note(path + ".lock");
        made_.note(upgradeBackupPath(path) + ".lock");
    }
    bool ready = ensureSettingsFile(path);
    made_.settle();
    if (!ready && required) {
        throw UsageError("cannot create the settings file " +
                         (path.empty() ? "(no home folder)" : path));
    }
    return path;
}

void CommandContext::run(const std::function<int()>& work) {
    try {
        exitCode_ = work();
    } catch (const UsageError& error) {
        err_ << error.what() << '\n';
        exitCode_ = BadUsage;
    }
    // A command that failed leaves nothing it made on the way.
    if (exitCode_ != Done) {
        made_.undo();
    }
}

}  // namespace lumora_usb_encoder::cli
