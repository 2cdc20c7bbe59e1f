#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/ini_file.h"

namespace lumora_usb_encoder {

// An INI file as text turns into: its records, and the comment lines after the last record,
// which have no record to travel with but are the user's text all the same.
struct IniDocument {
    std::vector<CIniFile::Record> records;
    std::string trailingComments;  // each line ending in a line feed, as in Record::Comments
};

// Reads INI text by the load rules. Lines may end in LF or CR LF; the last line needs no line
// break. Lines that are neither blank, comment, section nor key line (a key line needs a key
// before its '=') are dropped.
IniDocument parseIniText(std::string_view text);

// The first line (counted from 1) that the load rules drop or cut short, so that saving the file
// again would lose it: a line that is neither blank, comment, section nor key line, or a section
// line with text after its ']'. 0 when every line is kept.
size_t firstLineNotKept(std::string_view text);

// The file text Save writes: per record its comments, its Commented character (a blank for an
// active one), "[Section]" or "Key=Value"; every line break, those inside comments too, as CR LF.
std::string formatIniText(const IniDocument& document);

// The text Content returns: as formatIniText, but with line feeds and no blank for active
// records.
std::string describeIniText(const IniDocument& document);

// The file as a document; nullopt when it cannot be read.
std::optional<IniDocument> loadIniDocument(const std::string& FileName);
// Writes the document as formatIniText gives it, atomically.
bool saveIniDocument(const std::string& FileName, const IniDocument& document);

}  // namespace lumora_usb_encoder
