#include <windows.h>
//
#include <knownfolders.h>
#include <shlobj.h>

#include "support/platform_files.h"
#include "support/windows_text.h"

namespace lumora_usb_encoder {

namespace {

namespace fs = std::filesystem;

// "C:\..." or "\\server\share\...": a relative folder would put the settings file wherever the
// program happens to be started.
bool isAbsolute(const std::wstring& path) {
    bool drive = path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    bool share = path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\';
    return drive || share;
}

std::wstring environmentValue(const wchar_t* name) {
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::wstring value(size, L'\0');
    DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

std::wstring knownLocalAppData() {
    wchar_t* folder = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder))) {
        result = folder;
    }
    CoTaskMemFree(folder);
    return result;
}

}  // namespace

std::optional<std::string> localDataFolder() {
    // The variable names the same folder as the known folder; like $XDG_DATA_HOME elsewhere, it
    // lets a test or a portable setup put the settings in another place.
    std::wstring folder = environmentValue(L"LOCALAPPDATA");
    if (!isAbsolute(folder)) {
        folder = knownLocalAppData();
    }
    if (!isAbsolute(folder)) {
        return std::nullopt;
    }
    return windows::narrow(folder);
}

fs::path utf8Path(const std::string& text) {
    // Text that is no UTF-8 (it can only come from a file's contents) names no file at all.
    return fs::path(windows::wide(text));
}

std::string utf8String(const fs::path& path) {
    return windows::narrow(path.native());
}

}  // namespace lumora_usb_encoder
