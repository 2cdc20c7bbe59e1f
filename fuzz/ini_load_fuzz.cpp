// The INI reader on arbitrary file bytes, in memory: loading a file is reading it whole and
// parsing the text, and saving is formatting it, so the file system adds nothing to find here.
// Besides the sanitizers' checks, every text must come back as the same records after a save
// and a second load: a record that changes on the way through the file would be a setting that
// silently changes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "support/ini_text.h"

using lumora_usb_encoder::IniDocument;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    IniDocument first = lumora_usb_encoder::parseIniText(text);
    IniDocument second = lumora_usb_encoder::parseIniText(formatIniText(first));
    if (second.records != first.records) {
        std::abort();
    }
    (void)describeIniText(first);
    return 0;
}
