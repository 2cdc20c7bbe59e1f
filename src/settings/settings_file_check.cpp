#include "settings/settings_file_check.h"

#include <algorithm>
#include <string_view>

#include "support/file_io.h"
#include "support/ini_text.h"
#include "support/platform_files.h"

namespace lumora_usb_encoder {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Lines ended by a carriage return alone read as one long line, of which the first section or
// key swallows the rest.
bool endsLinesInCarriageReturns(std::string_view text) {
    size_t last = text.find_last_not_of(" \t\r");
    return text.find('\n') == std::string_view::npos && last != std::string_view::npos &&
           text.substr(0, last).find('\r') != std::string_view::npos;
}

// Control bytes other than line breaks and tabs: no text file has them, though a value this
// program wrote (a keypad's serial number) may.
bool holdsControlBytes(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || byte == 0x7F;
    });
}

std::optional<std::string> whyNotSettingsText(std::string_view text) {
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        return "starts with a byte-order mark";
    }
    if (endsLinesInCarriageReturns(text)) {
        return "ends its lines in a carriage return alone";
    }
    return std::nullopt;
}

std::optional<std::string> whyNotReadable(const std::string& path, std::string& text) {
    if (!pathExists(path)) {
        return "does not exist";
    }
    if (isTooLargeToRead(path)) {
        return "is too large to be one";
    }
    auto bytes = readWholeFile(path);
    if (!bytes) {
        return "cannot be opened";
    }
    text = std::move(*bytes);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> whyUnreadableAsSettings(const std::string& path) {
    std::string text;
    if (auto why = whyNotReadable(path, text)) {
        return why;
    }
    return whyNotSettingsText(text);
}

std::optional<std::string> whyNotReplaceableAsSettings(const std::string& path) {
    if (std::string refusal = replaceRefusal(path); !refusal.empty()) {
        return refusal;
    }
    if (!pathExists(path)) {
        return std::nullopt;
    }
    std::string text;
    if (auto why = whyNotReadable(path, text)) {
        return why;
    }
    if (auto why = whyNotSettingsText(text)) {
        return why;
    }
    size_t line = firstLineNotKept(text);
    if (line == 0) {
        return std::nullopt;
    }
    if (holdsControlBytes(text)) {
        return std::string("holds binary data");
    }
    return "has a line that is no setting, section or comment (line " + std::to_string(line) + ")";
}

std::string unreadableSettingsMessage(const std::string& path, const std::string& why) {
    return path + " cannot be read as a settings file: it " + why + ".";
}

std::string leftAsItIsMessage(const std::string& path, const std::string& why) {
    return path + " was left as it is: it " + why + ".";
}

}  // namespace lumora_usb_encoder
