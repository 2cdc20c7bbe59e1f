#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumora_usb_encoder {

// The MSP430 addresses 1 MiB; an image byte beyond it cannot be programmed anywhere.
inline constexpr uint32_t kAddressSpaceSize = 0x100000;

// Bytes at consecutive addresses.
struct MemoryRun {
    uint32_t address = 0;
    std::vector<uint8_t> bytes;

    uint32_t end() const { return address + static_cast<uint32_t>(bytes.size()); }
    bool operator==(const MemoryRun&) const = default;
};

// A parsed image: runs sorted by address, never overlapping, never touching (sections that meet
// are joined, so one run is one stretch of consecutive addresses).
struct TiTxtImage {
    std::vector<MemoryRun> runs;

    size_t byteCount() const;
};

struct TiTxtError {
    size_t line = 0;  // 1-based; 0 when the problem is not on one line
    std::string message;

    // "line 12: ..." or the bare message.
    std::string text() const;
};

// Reads TI-TXT text: "@ADDR" lines start sections, data lines hold two-digit hex bytes separated
// by blanks, "q" ends the text. Upper and lower case, CR LF, blank lines, odd addresses and
// lengths and sections in any order are accepted. Anything else (a byte before the first "@", a
// malformed token, a byte given twice, a byte beyond 1 MiB, no data at all, text after "q" or no
// "q") fails with the line it was found on. Nothing of `image` is kept on failure.
bool parseTiTxt(std::string_view text, TiTxtImage& image, TiTxtError& error);

// Writes runs as TI-TXT: upper-case hex, 16 bytes a line, `lineEnd` after every line but the
// final "q".
std::string formatTiTxt(const std::vector<MemoryRun>& runs, std::string_view lineEnd = "\r\n");

}  // namespace lumora_usb_encoder
