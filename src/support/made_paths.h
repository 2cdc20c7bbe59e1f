#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lumora_usb_encoder {

// The paths a job makes on its way (a settings file on first use, its folders, lock files), so
// that a job that fails can take them away again and leave nothing behind. Only what was not
// there when noted is ever removed, a file only while it still holds what it held when the job
// settled it (a lock file: nothing), a folder only when it is empty.
class MadePaths {
  public:
    // Notes `path` when nothing has that name yet.
    void note(const std::string& path);
    // Notes `path` and every folder above it that is not there yet.
    void noteWithFolders(const std::string& path);
    // Takes what the noted files hold now as what they were made with.
    void settle();
    // Removes what was noted and is still as it was made, the deepest first.
    void undo();

  private:
    std::vector<std::string> paths_;  // in the order noted: folders before what they hold
    std::map<std::string, std::string> madeWith_;
};

}  // namespace lumora_usb_encoder
