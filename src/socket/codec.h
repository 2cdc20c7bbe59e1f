#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The field encodings of the socket wire protocol, shared by the client and the server.
namespace lumora_usb_encoder::hid::wire {

// The longest line either side accepts, not counting its '\n'.
inline constexpr size_t kMaxLineLength = 4096;

// Lower-case hex, two digits a byte, no separators.
std::string encodeHex(const uint8_t* data, size_t length);
// Either case; an odd count or any other character gives nothing.
std::optional<std::vector<uint8_t>> decodeHex(std::string_view text);

// Text travels as its UTF-8 bytes in hex, "-" when empty. An unpaired surrogate cannot be
// written as UTF-8 and goes out as U+FFFD.
std::string encodeText(const std::u16string& text);
// Rejects bad hex and anything that is not well-formed UTF-8 (overlong forms, surrogates,
// code points above U+10FFFF).
std::optional<std::u16string> decodeText(std::string_view field);

// Exactly four hex digits, as vendor and product ids travel.
std::string encodeId(uint16_t id);
std::optional<uint16_t> decodeId(std::string_view field);

// Decimal without sign or leading blanks, at most `maxValue`.
std::optional<uint32_t> decodeCount(std::string_view field, uint32_t maxValue);
// Decimal with an optional leading '-', as an interface number (-1: unknown) travels.
std::optional<int> decodeInterface(std::string_view field);

// The fields of one line, held in place: a server splits every line it is sent. No line form
// has more than seven; a line with more is still counted whole, so that its error can say how
// many its verb takes, but only the first kKept are kept (any later one reads as empty).
class Fields {
  public:
    static constexpr size_t kKept = 8;
    size_t size() const { return count_; }
    std::string_view operator[](size_t i) const {
        return i < kKept ? items_[i] : std::string_view();
    }
    void push_back(std::string_view field) {
        if (count_ < kKept) {
            items_[count_] = field;
        }
        ++count_;
    }

  private:
    std::array<std::string_view, kKept> items_{};
    size_t count_ = 0;
};

// Splits a protocol line (without its '\n') into its fields. Rejects an over-long line, any
// character outside printable ASCII, and a doubled, leading or trailing blank (which would make
// an empty field).
std::optional<Fields> splitLine(std::string_view line, std::string& error);
// The length and character checks alone, for lines whose last field may hold blanks (ERR).
bool checkLine(std::string_view line, std::string& error);

// A path, handle or reason token: visible ASCII without blanks, not empty.
bool isToken(std::string_view field);

// Sets the parse error and answers false, so that a parser can `return fail(error, "...")`.
inline bool fail(std::string& error, const char* text) {
    error = text;
    return false;
}

}  // namespace lumora_usb_encoder::hid::wire
