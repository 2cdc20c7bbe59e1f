#include "support/platform_files.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "support/file_io.h"

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

bool createFolder(const std::string& path) {
    std::error_code error;
    fs::create_directories(path, error);
    return fs::is_directory(path, error);
}

bool pathExists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

bool fileExists(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool copyFileOverwrite(const std::string& from, const std::string& to) {
    auto bytes = readWholeFile(from);
    return bytes && writeFileAtomically(to, *bytes);
}

}  // namespace lumora_usb_encoder
