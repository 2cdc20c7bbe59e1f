#include "support/made_paths.h"

#include <filesystem>

#include "support/file_io.h"
#include "support/platform_files.h"

namespace lumora_usb_encoder {

namespace fs = std::filesystem;

void MadePaths::note(const std::string& path) {
    if (!path.empty() && !pathExists(path)) {
        paths_.push_back(path);
    }
}

void MadePaths::noteWithFolders(const std::string& path) {
    std::vector<std::string> missing;
    for (fs::path at = fs::path(path).parent_path(); !at.empty() && !pathExists(at.string());
         at = at.parent_path()) {
        missing.push_back(at.string());
        if (at == at.parent_path()) {
            break;
        }
    }
    paths_.insert(paths_.end(), missing.rbegin(), missing.rend());
    note(path);
}

void MadePaths::settle() {
    for (const auto& path : paths_) {
        if (auto bytes = readWholeFile(path)) {
            madeWith_[path] = std::move(*bytes);
        }
    }
}

void MadePaths::undo() {
    std::error_code error;
    for (auto path = paths_.rbegin(); path != paths_.rend(); ++path) {
        auto status = fs::symlink_status(*path, error);
        if (fs::is_directory(status)) {
            fs::remove(*path, error);  // fails, as it should, while anything is in it
            continue;
        }
        if (!fs::is_regular_file(status)) {
            continue;
        }
        auto found = madeWith_.find(*path);
        if (readWholeFile(*path) == (found == madeWith_.end() ? "" : found->second)) {
            fs::remove(*path, error);
        }
    }
    paths_.clear();
    madeWith_.clear();
}

}  // namespace lumora_usb_encoder
