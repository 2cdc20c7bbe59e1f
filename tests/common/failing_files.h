#pragma once

#include <mutex>
#include <ostream>
#include <string>

#include "support/file_faults.h"

namespace lumora_usb_encoder {

inline const char* callName(FileCall call) {
    switch (call) {
        case FileCall::Open:
            return "Open";
        case FileCall::Write:
            return "Write";
        case FileCall::Sync:
            return "Sync";
        case FileCall::Close:
            return "Close";
        case FileCall::Replace:
            return "Replace";
        case FileCall::Lock:
            return "Lock";
    }
    return "?";
}

inline std::ostream& operator<<(std::ostream& out, FileCall call) {
    return out << callName(call);
}

}  // namespace lumora_usb_encoder

namespace lumora_usb_encoder::testing {

// For as long as it lives, every `call` on a file whose name holds `name` fails; it counts those
// it failed, so that a test can see its fault was reached.
class FailingFiles final : public FileFaults {
  public:
    explicit FailingFiles(FileCall call, std::string name = "")
        : call_(call), name_(std::move(name)) {
        previous_ = installFileFaults(this);
    }
    ~FailingFiles() override { installFileFaults(previous_); }
    FailingFiles(const FailingFiles&) = delete;
    FailingFiles& operator=(const FailingFiles&) = delete;

    bool fails(FileCall call, const std::filesystem::path& file) override {
        auto units = file.filename().u8string();
        if (call != call_ || std::string(units.begin(), units.end()).find(name_) == name_.npos) {
            return false;
        }
        std::lock_guard lock(mutex_);
        ++failed_;
        return true;
    }
    int failed() {
        std::lock_guard lock(mutex_);
        return failed_;
    }

  private:
    FileCall call_;
    std::string name_;
    std::mutex mutex_;
    int failed_ = 0;
    FileFaults* previous_ = nullptr;
};

}  // namespace lumora_usb_encoder::testing
