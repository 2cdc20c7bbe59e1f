#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "support/platform_files.h"

namespace lumora_usb_encoder {

namespace {

namespace fs = std::filesystem;

std::optional<std::string> homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return std::string(home);
    }
    const passwd* entry = ::getpwuid(::getuid());
    if (entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/') {
        return std::string(entry->pw_dir);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> localDataFolder() {
    // A relative $XDG_DATA_HOME is invalid and must be ignored; it would put the settings file
    // wherever the program happens to be started.
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return std::string(xdg);
    }
    auto home = homeFolder();
    if (!home) {
        return std::nullopt;
    }
    return (fs::path(*home) / ".local" / "share").string();
}

fs::path utf8Path(const std::string& text) {
    return fs::path(text);
}

std::string utf8String(const fs::path& path) {
    return path.string();
}

}  // namespace lumora_usb_encoder
