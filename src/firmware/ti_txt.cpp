#include "firmware/ti_txt.h"
#include "support/hex_digits.h"

#include <algorithm>
#include <cstdio>

namespace lumora_usb_encoder {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string hex(uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%X", value);
    return buffer;
}

struct Section {
    uint32_t address = 0;
    std::vector<uint8_t> bytes;
    size_t line = 0;
};

class Parser {
  public:
    bool run(std::string_view text, TiTxtError& error);
    std::vector<Section>& sections() { return sections_; }

  private:
    bool fail(std::string message) {
        error_ = {line_, std::move(message)};
        return false;
    }
    bool checkCharacters(std::string_view line);
    bool parseLine(std::string_view line);
    bool parseAddress(std::string_view digits);
    bool parseData(std::string_view line);

    std::vector<Section> sections_;
    size_t line_ = 0;
    bool ended_ = false;
    TiTxtError error_;
};

bool Parser::checkCharacters(std::string_view line) {
    for (char c : line) {
        if (hexDigitValue(c) < 0 && !isBlank(c) && c != '@' && c != 'q' && c != 'Q') {
            return fail("illegal character " + hex(static_cast<uint8_t>(c)));
        }
    }
    return true;
}

bool Parser::parseAddress(std::string_view digits) {
    digits = trimmed(digits);
    if (digits.empty()) {
        return fail("address missing after @");
    }
    uint64_t address = 0;
    for (char c : digits) {
        int value = hexDigitValue(c);
        if (value < 0) {
            return fail("bad address \"" + std::string(digits) + "\"");
        }
        address = address * 16 + static_cast<uint64_t>(value);
        if (address >= kAddressSpaceSize) {
            return fail("address @" + std::string(digits) + " lies beyond 1 MiB");
        }
    }
    sections_.push_back({static_cast<uint32_t>(address), {}, line_});
    return true;
}

bool Parser::parseData(std::string_view line) {
    if (sections_.empty()) {
        return fail("data before the first @ line");
    }
    Section& section = sections_.back();
    while (!line.empty()) {
        size_t length = 0;
        while (length < line.size() && !isBlank(line[length])) {
            ++length;
        }
        std::string_view token = line.substr(0, length);
        int high = token.size() == 2 ? hexDigitValue(token[0]) : -1;
        int low = token.size() == 2 ? hexDigitValue(token[1]) : -1;
        if (high < 0 || low < 0) {
            return fail("bad byte \"" + std::string(token) + "\" (two hex digits expected)");
        }
        if (section.address + section.bytes.size() >= kAddressSpaceSize) {
            return fail("data runs beyond 1 MiB");
        }
        section.bytes.push_back(static_cast<uint8_t>(high * 16 + low));
        line = trimmed(line.substr(length));
    }
    return true;
}

bool Parser::parseLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    if (!checkCharacters(line)) {
        return false;
    }
    line = trimmed(line);
    if (line.empty()) {
        return true;
    }
    if (ended_) {
        return fail("text after the closing q");
    }
    if (line.front() == '@') {
        return parseAddress(line.substr(1));
    }
    if (line == "q" || line == "Q") {
        ended_ = true;
        return true;
    }
    return parseData(line);
}

bool Parser::run(std::string_view text, TiTxtError& error) {
    bool ok = true;
    while (ok && !text.empty()) {
        ++line_;
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ok = parseLine(line);
    }
    if (ok && !ended_) {
        ok = fail("the text ends without the closing q");
    }
    if (!ok) {
        error = error_;
    }
    return ok;
}

// Sorts the sections, refuses a byte given twice and joins sections that meet.
bool joinSections(std::vector<Section>& sections, TiTxtImage& image, TiTxtError& error) {
    std::erase_if(sections, [](const Section& s) { return s.bytes.empty(); });
    if (sections.empty()) {
        error = {0, "the image holds no data"};
        return false;
    }
    std::stable_sort(sections.begin(), sections.end(),
                     [](const Section& a, const Section& b) { return a.address < b.address; });
    std::vector<MemoryRun> runs;
    size_t previousLine = 0;
    for (Section& section : sections) {
        if (!runs.empty() && section.address < runs.back().end()) {
            size_t first = std::min(section.line, previousLine);
            size_t second = std::max(section.line, previousLine);
            error = {second, "bytes at " + hex(section.address) +
                                 " are given twice (sections of lines " + std::to_string(first) +
                                 " and " + std::to_string(second) + ")"};
            return false;
        }
        if (!runs.empty() && section.address == runs.back().end()) {
            auto& bytes = runs.back().bytes;
            bytes.insert(bytes.end(), section.bytes.begin(), section.bytes.end());
        } else {
            runs.push_back({section.address, std::move(section.bytes)});
        }
        previousLine = section.line;
    }
    image.runs = std::move(runs);
    return true;
}

}  // namespace

size_t TiTxtImage::byteCount() const {
    size_t count = 0;
    for (const auto& run : runs) {
        count += run.bytes.size();
    }
    return count;
}

std::string TiTxtError::text() const {
    return line == 0 ? message : "line " + std::to_string(line) + ": " + message;
}

bool parseTiTxt(std::string_view text, TiTxtImage& image, TiTxtError& error) {
    Parser parser;
    if (!parser.run(text, error)) {
        return false;
    }
    TiTxtImage parsed;
    if (!joinSections(parser.sections(), parsed, error)) {
        return false;
    }
    image = std::move(parsed);
    return true;
}

std::string formatTiTxt(const std::vector<MemoryRun>& runs, std::string_view lineEnd) {
    std::string text;
    char buffer[16];
    for (const auto& run : runs) {
        std::snprintf(buffer, sizeof buffer, "@%04X", run.address);
        text += buffer;
        text += lineEnd;
        for (size_t i = 0; i < run.bytes.size(); ++i) {
            std::snprintf(buffer, sizeof buffer, "%02X", run.bytes[i]);
            text += buffer;
            bool lineFull = i % 16 == 15 || i + 1 == run.bytes.size();
            text += lineFull ? std::string(lineEnd) : std::string(" ");
        }
    }
    text += "q";
    return text;
}

}  // namespace lumora_usb_encoder
