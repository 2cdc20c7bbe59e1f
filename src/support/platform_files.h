#pragma once

#include <optional>
#include <string>

namespace lumora_usb_encoder {

// The user's folder for local application data: $XDG_DATA_HOME when it is an absolute path,
// else ~/.local/share (the home folder from $HOME, else from the user database). nullopt when
// no home folder can be found.
std::optional<std::string> localDataFolder();

// Creates the folder and any missing folders above it. True when it exists afterwards.
bool createFolder(const std::string& path);

// True when anything (file, folder, link) has this name.
bool pathExists(const std::string& path);

// True when a regular file has this name.
bool fileExists(const std::string& path);

// Copies `from` over `to`, replacing an existing target. The target is written through a
// temporary file and a rename, so a failed copy leaves it as it was, and copying a file onto
// itself leaves it intact.
bool copyFileOverwrite(const std::string& from, const std::string& to);

}  // namespace lumora_usb_encoder
