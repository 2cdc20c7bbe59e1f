#include "support/platform_files.h"

#include "support/file_io.h"

namespace lumora_usb_encoder {

namespace fs = std::filesystem;

bool createFolder(const std::string& path) {
    std::error_code error;
    fs::create_directories(utf8Path(path), error);
    return fs::is_directory(utf8Path(path), error);
}

bool pathExists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(utf8Path(path), error));
}

bool fileExists(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(utf8Path(path), error);
}

bool copyFileOverwrite(const std::string& from, const std::string& to) {
    auto bytes = readWholeFile(from);
    return bytes && writeFileAtomically(to, *bytes);
}

}  // namespace lumora_usb_encoder
