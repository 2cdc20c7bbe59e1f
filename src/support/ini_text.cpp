#include "support/ini_text.h"

#include "support/file_io.h"

namespace lumora_usb_encoder {

namespace {

constexpr std::string_view kLineBlanks = " \t\n\r";

bool isCommentIndicator(char c) {
    return c == '#' || c == ';';
}

// Reads one trimmed, non-empty line into a record; false for a line that is none. `cut` hears
// whether the record leaves part of the line behind (text after a section's ']').
bool readRecordLine(std::string line, const std::string& currentSection, CIniFile::Record& rec,
                    bool* cut = nullptr) {
    rec.Commented = ' ';
    if (isCommentIndicator(line.front())) {
        rec.Commented = line.front();
        line.erase(0, 1);
        CIniFile::Trim(line, std::string(kLineBlanks), 0);
    }
    if (!line.empty() && line.front() == '[') {
        // A section line missing its ']' is named by the rest of the line.
        size_t close = line.find(']', 1);
        rec.Section = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        if (cut != nullptr) {
            *cut = close != std::string::npos && close + 1 < line.size();
        }
        rec.Key.clear();
        rec.Value.clear();
        return true;
    }
    // A key line with nothing before its '=' has no key: as a record it would pass for a section
    // header and be written back as one, so it is read as no line at all.
    size_t equals = line.find('=');
    if (equals == std::string::npos || equals == 0) {
        return false;
    }
    rec.Section = currentSection;
    rec.Key = line.substr(0, equals);
    rec.Value = line.substr(equals + 1);
    return true;
}

void appendWithCrLf(std::string& out, std::string_view text) {
    for (char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
}

void appendRecordLine(std::string& out, const CIniFile::Record& rec) {
    if (rec.Key.empty()) {
        out += '[';
        out += rec.Section;
        out += ']';
    } else {
        out += rec.Key;
        out += '=';
        out += rec.Value;
    }
}

// One line of a file, trimmed, and what is left of the text after it.
std::string takeLine(std::string_view& text) {
    size_t end = text.find('\n');
    std::string line(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    CIniFile::Trim(line, std::string(kLineBlanks), 0);
    return line;
}

bool isCommentLine(const std::string& line) {
    return isCommentIndicator(line.front()) && line.find_first_of("[=") == std::string::npos;
}

}  // namespace

size_t firstLineNotKept(std::string_view text) {
    size_t number = 0;
    while (!text.empty()) {
        ++number;
        std::string line = takeLine(text);
        if (line.empty() || isCommentLine(line)) {
            continue;
        }
        CIniFile::Record rec;
        bool cut = false;
        if (!readRecordLine(std::move(line), "", rec, &cut) || cut) {
            return number;
        }
    }
    return 0;
}

IniDocument parseIniText(std::string_view text) {
    IniDocument document;
    std::string pendingComments;
    std::string currentSection;
    while (!text.empty()) {
        std::string line = takeLine(text);
        if (line.empty()) {
            continue;
        }
        if (isCommentLine(line)) {
            pendingComments += line;
            pendingComments += '\n';
            continue;
        }
        CIniFile::Record rec;
        if (!readRecordLine(std::move(line), currentSection, rec)) {
            continue;
        }
        rec.Comments = std::move(pendingComments);
        pendingComments.clear();
        if (rec.Key.empty()) {
            currentSection = rec.Section;
        }
        document.records.push_back(std::move(rec));
    }
    document.trailingComments = std::move(pendingComments);
    return document;
}

std::string formatIniText(const IniDocument& document) {
    std::string out;
    for (const auto& rec : document.records) {
        appendWithCrLf(out, rec.Comments);
        out += rec.Commented;
        appendRecordLine(out, rec);
        out += "\r\n";
    }
    appendWithCrLf(out, document.trailingComments);
    return out;
}

std::string describeIniText(const IniDocument& document) {
    std::string out;
    for (const auto& rec : document.records) {
        out += rec.Comments;
        if (rec.Commented != ' ') {
            out += rec.Commented;
        }
        appendRecordLine(out, rec);
        out += '\n';
    }
    out += document.trailingComments;
    return out;
}

std::optional<IniDocument> loadIniDocument(const std::string& FileName) {
    auto text = readWholeFile(FileName);
    if (!text) {
        return std::nullopt;
    }
    return parseIniText(*text);
}

bool saveIniDocument(const std::string& FileName, const IniDocument& document) {
    return writeFileAtomically(FileName, formatIniText(document));
}

}  // namespace lumora_usb_encoder
