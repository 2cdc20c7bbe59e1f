#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lumora_usb_encoder {

// Our own files hold a dozen lines; anything far bigger is not one of them, and refusing it keeps
// a mistaken path (a device node, a disk image) from being read into memory whole.
inline constexpr size_t kMaxReadableFileSize = 16u * 1024u * 1024u;

// The whole content of a regular file; nullopt when it cannot be opened or read, is not a regular
// file, or is larger than kMaxReadableFileSize.
[[nodiscard]] std::optional<std::string> readWholeFile(const std::string& path);

// True when `path` is a file larger than kMaxReadableFileSize, so that a refusal can say why.
bool isTooLargeToRead(const std::string& path);

// Why writeFileAtomically would not replace `path`, in words that follow "it": empty when it
// would. Only a regular file, a link to one, or a name nothing has yet is replaced; and a link
// only when it belongs to the user running the program, so that a link another user planted in
// a shared folder cannot turn a save into a write to the file it points at.
std::string replaceRefusal(const std::string& path);

// The file a link at `path` leads to; nullopt when `path` is no link.
std::optional<std::string> linkTarget(const std::string& path);

// Replaces `path` with `bytes` so that any reader sees either the old file or the new one whole:
// the bytes go to a fresh file in the same folder, reach the disk, and are then renamed over the
// target. A symbolic link of this user is followed, so the file it points at is replaced and the
// link stays.
// On any failure the target is left as it was, the temporary file is removed, and the result is
// false. A new file gets the usual permissions (umask applies); a replaced one keeps its own.
// What replaceRefusal names (a pipe, a device, a broken link, another user's link) is refused.
// Temporary files that killed writers of the same file left behind are removed.
// On Windows the rename is written through (MoveFileExW), access rights come from the folder, a
// read-only file is refused, and a reader that holds the file open without sharing it for
// deletion keeps it from being replaced: the save waits two seconds for it, then fails.
[[nodiscard]] bool writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace lumora_usb_encoder
