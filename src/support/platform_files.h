#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace lumora_usb_encoder {

// The user's folder for local application data. On Windows: %LOCALAPPDATA% when it is an
// absolute path, else the known folder LocalAppData. Elsewhere: $XDG_DATA_HOME when it is an
// absolute path, else ~/.local/share (the home folder from $HOME, else from the user database).
// nullopt when there is none.
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

// File names are UTF-8 text inside the programs. The standard library on Windows reads a narrow
// string in the system's code page instead, so every path that may hold a user's file name is
// made and read back through these. On Windows text that is no UTF-8 gives the empty path, which
// names no file; elsewhere the bytes are the name, as the system takes them.
std::filesystem::path utf8Path(const std::string& text);
std::string utf8String(const std::filesystem::path& path);

}  // namespace lumora_usb_encoder
