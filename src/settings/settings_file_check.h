#pragma once

#include <optional>
#include <string>

namespace lumora_usb_encoder {

// What a file must be before the settings jobs read it or replace it. Each answer is a reason
// that follows "it" ("starts with a byte-order mark"); nullopt when the file will do.

// For a reader (restore, import): a file that is missing or cannot be opened, is too large to
// be one of ours, ends its lines in a carriage return alone, or starts with a byte-order mark
// cannot be read as a settings file at all. A readable file that holds no saved settings will
// do: what it holds is the reader's business.
std::optional<std::string> whyUnreadableAsSettings(const std::string& path);

// For a writer (a save, the firmware file's name): a file the settings model cannot hold is not
// a settings file, and rewriting it would delete what it holds. A new or empty file, or one of
// only sections, keys, comments and blank lines (as this program writes them), will do; so will
// a link to one, when the link belongs to the user running the program.
std::optional<std::string> whyNotReplaceableAsSettings(const std::string& path);

// "<path> cannot be read as a settings file: it <why>."
std::string unreadableSettingsMessage(const std::string& path, const std::string& why);
// "<path> was left as it is: it <why>."
std::string leftAsItIsMessage(const std::string& path, const std::string& why);

}  // namespace lumora_usb_encoder
