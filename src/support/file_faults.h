#pragma once

#include <atomic>
#include <filesystem>

namespace lumora_usb_encoder {

// The system calls a save and the file lock make, each of which can fail under a user: a full
// disk, a write-back the disk refuses, a network share that goes away, another program's lock.
enum class FileCall {
    Open,     // creating the temporary file a save writes
    Write,    // writing it
    Sync,     // flushing it to the disk (fsync; FlushFileBuffers)
    Close,    // closing it, which may report a write-back that failed
    Replace,  // putting it in the target's place (rename; MoveFileExW)
    Lock,     // locking the lock file: failing, it is held by another program
};

// Makes calls fail on purpose, as the simulated keypad's faults make replies fail, so that every
// way a save can fail is reached. Only tests install one; the programs never do, and the platform
// files then pay one atomic load per call.
class FileFaults {
  public:
    virtual ~FileFaults() = default;
    // Asked before `call` on `file`: true makes it fail as the system would (a failing close
    // still closes).
    virtual bool fails(FileCall call, const std::filesystem::path& file) = 0;
};

// Installs `faults` for the whole process (nullptr: none); returns the one installed before.
FileFaults* installFileFaults(FileFaults* faults);

namespace file_faults_detail {
extern std::atomic<FileFaults*> installed;
}

// Whether `call` on `file` is to fail; the name is made into a path only when faults are installed.
template <typename Name>
bool fileCallFails(FileCall call, const Name& file) {
    FileFaults* faults = file_faults_detail::installed.load(std::memory_order_acquire);
    return faults != nullptr && faults->fails(call, std::filesystem::path(file));
}

}  // namespace lumora_usb_encoder
