// The INI reader on arbitrary file bytes, in memory: loading a file is reading it whole and
// parsing the text, and saving is formatting it, so the file system adds nothing to find here.
// Besides the sanitizers' checks, every text must come back as the same records after a save
// and a second load: a record that changes on the way through the file would be a setting that
// silently changes. A text whose every line is said to be kept must show every line of it again
// as a record or a comment line: a line lost there is a line a save would delete.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "support/ini_text.h"

using lumora_usb_encoder::IniDocument;

namespace {

size_t nonBlankLines(std::string_view text) {
    size_t count = 0;
    while (!text.empty()) {
        size_t end = std::min(text.find('\n'), text.size());
        if (text.substr(0, end).find_first_not_of(" \t\r") != std::string_view::npos) {
            ++count;
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return count;
}

size_t linesHeld(const IniDocument& document) {
    size_t count = document.records.size();
    count += static_cast<size_t>(
        std::count(document.trailingComments.begin(), document.trailingComments.end(), '\n'));
    for (const auto& record : document.records) {
        count +=
            static_cast<size_t>(std::count(record.Comments.begin(), record.Comments.end(), '\n'));
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    IniDocument first = lumora_usb_encoder::parseIniText(text);
    IniDocument second = lumora_usb_encoder::parseIniText(formatIniText(first));
    if (second.records != first.records) {
        std::abort();
    }
    if (lumora_usb_encoder::firstLineNotKept(text) == 0 &&
        linesHeld(first) != nonBlankLines(text)) {
        std::abort();
    }
    (void)describeIniText(first);
    return 0;
}
