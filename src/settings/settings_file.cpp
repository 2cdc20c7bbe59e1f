#include "settings/settings_file.h"

#include "support/file_lock.h"
#include "support/ini_file.h"
#include "support/platform_files.h"

namespace lumora_usb_encoder {

std::string defaultSettingsPath() {
    auto data = localDataFolder();
    if (!data) {
        return {};
    }
    return utf8String(utf8Path(*data) / kSettingsFolderName / kSettingsFileName);
}

bool ensureSettingsFile(const std::string& FileName) {
    if (FileName.empty()) {
        return false;
    }
    std::string folder = utf8String(utf8Path(FileName).parent_path());
    if (!folder.empty() && !pathExists(folder)) {
        (void)createFolder(folder);  // a failure shows when the file cannot be created
    }
    // The usual case, which waits for nobody's lock.
    if (fileExists(FileName)) {
        return true;
    }
    auto lock = FileLock::take(FileName);
    if (fileExists(FileName)) {
        return true;
    }
    if (!lock) {
        return false;  // another program is creating it; it exists when that one is done
    }
    // What Create, AddSection and one SetValue per key would leave: the header, then the keys
    // newest first.
    std::vector<CIniFile::Record> records{{"", ' ', kSettingsSection, "", ""}};
    for (auto key = kSettingsKeys.rbegin(); key != kSettingsKeys.rend(); ++key) {
        records.push_back({"", ' ', kSettingsSection, *key, ""});
    }
    return CIniFile::Save(FileName, records);
}

}  // namespace lumora_usb_encoder
