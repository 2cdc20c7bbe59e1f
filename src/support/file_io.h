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

// Replaces `path` with `bytes` so that any reader sees either the old file or the new one whole:
// the bytes go to a fresh file in the same folder, reach the disk, and are then renamed over the
// target. A symbolic link is followed, so the file it points at is replaced and the link stays.
// On any failure the target is left as it was, the temporary file is removed, and the result is
// false. A new file gets the usual permissions (umask applies); a replaced one keeps its own.
// Anything but a regular file or a link to one (a pipe, a device, a broken link) is refused.
// Temporary files that killed writers of the same file left behind are removed.
// On Windows the rename is written through (MoveFileExW), access rights come from the folder, a
// read-only file is refused, and a reader that holds the file open without sharing it for
// deletion keeps it from being replaced: the save waits two seconds for it, then fails.
[[nodiscard]] bool writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace lumora_usb_encoder
