#include "support/ini_file.h"

#include <algorithm>

#include "support/file_io.h"
#include "support/ini_text.h"

namespace lumora_usb_encoder {

namespace {

using Record = CIniFile::Record;

bool hasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != text.npos;
}

// A key that Load would read back as the same key of the same record.
bool isWritableKey(const std::string& key) {
    return !key.empty() && key.find('=') == key.npos && !hasLineBreak(key) &&
           std::string_view("[#; \t").find(key.front()) == std::string_view::npos;
}

bool isWritableSection(const std::string& section) {
    return section.find(']') == section.npos && !hasLineBreak(section);
}

// Comments are read back as comments only when each of their lines starts with an indicator;
// any other line would come back as a key, a section or nothing.
bool isWritableComment(const std::string& comments) {
    size_t start = 0;
    while (start < comments.size()) {
        size_t end = std::min(comments.find('\n', start), comments.size());
        std::string line = comments.substr(start, end - start);
        CIniFile::Trim(line);
        if (!line.empty() && line.front() != '#' && line.front() != ';') {
            return false;
        }
        start = end + 1;
    }
    return true;
}

std::vector<Record>::iterator findRecord(std::vector<Record>& records, const std::string& key,
                                         const std::string& section) {
    return std::find_if(records.begin(), records.end(), CIniFile::RecordSectionKeyIs{section, key});
}

// Loads, lets `change` work on the records, and saves when it says it changed something. A file
// with a line the load rules drop is not rewritten: the save would delete that line.
template <typename Change>
bool modify(const std::string& FileName, Change change) {
    auto text = readWholeFile(FileName);
    if (!text || firstLineNotKept(*text) != 0) {
        return false;
    }
    IniDocument document = parseIniText(*text);
    if (!change(document.records)) {
        return false;
    }
    return saveIniDocument(FileName, document);
}

bool setCommented(char cc, const std::string& KeyName, const std::string& SectionName,
                  const std::string& FileName) {
    return modify(FileName, [&](std::vector<Record>& records) {
        auto found = findRecord(records, KeyName, SectionName);
        if (found == records.end()) {
            return false;
        }
        found->Commented = cc;
        return true;
    });
}

bool setSectionCommented(char cc, const std::string& SectionName, const std::string& FileName) {
    return modify(FileName, [&](std::vector<Record>& records) {
        for (auto& rec : records) {
            if (rec.Section == SectionName) {
                rec.Commented = cc;
            }
        }
        return true;
    });
}

std::string withClosingLineFeed(std::string comments) {
    if (!comments.empty() && comments.back() != '\n') {
        comments += '\n';
    }
    return comments;
}

}  // namespace

bool CIniFile::AscendingSectionSort::operator()(const Record& Start, const Record& End) const {
    return Start.Section < End.Section;
}
bool CIniFile::DescendingSectionSort::operator()(const Record& Start, const Record& End) const {
    return End.Section < Start.Section;
}
bool CIniFile::AscendingRecordSort::operator()(const Record& Start, const Record& End) const {
    return Start.Key < End.Key;
}
bool CIniFile::DescendingRecordSort::operator()(const Record& Start, const Record& End) const {
    return End.Key < Start.Key;
}

bool CIniFile::Load(const std::string& FileName, std::vector<Record>& content) {
    auto document = loadIniDocument(FileName);
    if (!document) {
        return false;
    }
    content = std::move(document->records);
    return true;
}

bool CIniFile::Save(const std::string& FileName, const std::vector<Record>& content) {
    return saveIniDocument(FileName, IniDocument{content, {}});
}

bool CIniFile::Create(const std::string& FileName) {
    return Save(FileName, {});
}

std::string CIniFile::Content(const std::string& FileName) {
    auto document = loadIniDocument(FileName);
    return document ? describeIniText(*document) : std::string();
}

std::vector<std::string> CIniFile::GetSectionNames(const std::string& FileName) {
    std::vector<std::string> names;
    for (const auto& rec : GetSections(FileName)) {
        names.push_back(rec.Section);
    }
    return names;
}

std::vector<Record> CIniFile::GetSections(const std::string& FileName) {
    std::vector<Record> content;
    std::vector<Record> headers;
    if (Load(FileName, content)) {
        std::copy_if(content.begin(), content.end(), std::back_inserter(headers),
                     [](const Record& rec) { return rec.Key.empty(); });
    }
    return headers;
}

std::vector<Record> CIniFile::GetSection(const std::string& SectionName,
                                         const std::string& FileName) {
    std::vector<Record> content;
    std::vector<Record> keys;
    if (Load(FileName, content)) {
        std::copy_if(
            content.begin(), content.end(), std::back_inserter(keys),
            [&](const Record& rec) { return !rec.Key.empty() && rec.Section == SectionName; });
    }
    return keys;
}

bool CIniFile::SectionExists(const std::string& SectionName, const std::string& FileName) {
    std::vector<Record> content;
    return Load(FileName, content) &&
           std::any_of(content.begin(), content.end(), RecordSectionIs{SectionName});
}

bool CIniFile::RecordExists(const std::string& KeyName, const std::string& SectionName,
                            const std::string& FileName) {
    return !GetRecord(KeyName, SectionName, FileName).empty();
}

std::vector<Record> CIniFile::GetRecord(const std::string& KeyName, const std::string& SectionName,
                                        const std::string& FileName) {
    std::vector<Record> content;
    if (!Load(FileName, content)) {
        return {};
    }
    auto found = findRecord(content, KeyName, SectionName);
    return found == content.end() ? std::vector<Record>{} : std::vector<Record>{*found};
}

std::string CIniFile::GetValue(const std::string& KeyName, const std::string& SectionName,
                               const std::string& FileName) {
    auto found = GetRecord(KeyName, SectionName, FileName);
    return found.empty() ? std::string() : found.front().Value;
}

namespace {

void setInRecords(std::vector<Record>& records, const std::string& KeyName,
                  const std::string& Value, const std::string& SectionName) {
    Record rec{"", ' ', SectionName, KeyName, Value};
    auto first =
        std::find_if(records.begin(), records.end(), CIniFile::RecordSectionIs{SectionName});
    if (first == records.end()) {
        records.push_back(Record{"", ' ', SectionName, "", ""});
        records.push_back(std::move(rec));
    } else if (auto found = findRecord(records, KeyName, SectionName); found != records.end()) {
        found->Value = Value;
    } else {
        // New keys go to the top of their section, right under its first header.
        records.insert(first + 1, std::move(rec));
    }
}

}  // namespace

bool CIniFile::SetValue(const std::string& KeyName, const std::string& Value,
                        const std::string& SectionName, const std::string& FileName) {
    return SetValues({{KeyName, Value}}, SectionName, FileName);
}

bool CIniFile::SetValues(const std::vector<std::pair<std::string, std::string>>& KeysAndValues,
                         const std::string& SectionName, const std::string& FileName) {
    for (const auto& [key, value] : KeysAndValues) {
        if (!isWritableKey(key) || hasLineBreak(value) || !isWritableSection(SectionName)) {
            return false;
        }
    }
    return modify(FileName, [&](std::vector<Record>& records) {
        for (const auto& [key, value] : KeysAndValues) {
            setInRecords(records, key, value, SectionName);
        }
        return true;
    });
}

bool CIniFile::AddSection(const std::string& SectionName, const std::string& FileName) {
    if (!isWritableSection(SectionName)) {
        return false;
    }
    return modify(FileName, [&](std::vector<Record>& records) {
        records.push_back(Record{"", ' ', SectionName, "", ""});
        return true;
    });
}

bool CIniFile::RenameSection(const std::string& OldSectionName, const std::string& NewSectionName,
                             const std::string& FileName) {
    if (!isWritableSection(NewSectionName)) {
        return false;
    }
    return modify(FileName, [&](std::vector<Record>& records) {
        for (auto& rec : records) {
            if (rec.Section == OldSectionName) {
                rec.Section = NewSectionName;
            }
        }
        return true;
    });
}

bool CIniFile::CommentRecord(CommentChar cc, const std::string& KeyName,
                             const std::string& SectionName, const std::string& FileName) {
    return setCommented(static_cast<char>(cc), KeyName, SectionName, FileName);
}

bool CIniFile::UnCommentRecord(const std::string& KeyName, const std::string& SectionName,
                               const std::string& FileName) {
    return setCommented(' ', KeyName, SectionName, FileName);
}

bool CIniFile::CommentSection(char CommentChar, const std::string& SectionName,
                              const std::string& FileName) {
    return setSectionCommented(CommentChar, SectionName, FileName);
}

bool CIniFile::UnCommentSection(const std::string& SectionName, const std::string& FileName) {
    return setSectionCommented(' ', SectionName, FileName);
}

bool CIniFile::DeleteRecord(const std::string& KeyName, const std::string& SectionName,
                            const std::string& FileName) {
    return modify(FileName, [&](std::vector<Record>& records) {
        auto found = findRecord(records, KeyName, SectionName);
        if (found == records.end()) {
            return false;
        }
        records.erase(found);
        return true;
    });
}

bool CIniFile::DeleteSection(const std::string& SectionName, const std::string& FileName) {
    return modify(FileName, [&](std::vector<Record>& records) {
        std::erase_if(records, RecordSectionIs{SectionName});
        return true;
    });
}

bool CIniFile::SetSectionComments(const std::string& Comments, const std::string& SectionName,
                                  const std::string& FileName) {
    if (!isWritableComment(Comments)) {
        return false;
    }
    return modify(FileName, [&](std::vector<Record>& records) {
        auto found = findRecord(records, "", SectionName);
        if (found == records.end()) {
            return false;
        }
        found->Comments = withClosingLineFeed(Comments);
        return true;
    });
}

bool CIniFile::SetRecordComments(const std::string& Comments, const std::string& KeyName,
                                 const std::string& SectionName, const std::string& FileName) {
    if (KeyName.empty() || !isWritableComment(Comments)) {
        return false;
    }
    return modify(FileName, [&](std::vector<Record>& records) {
        auto found = findRecord(records, KeyName, SectionName);
        if (found == records.end()) {
            return false;
        }
        found->Comments = withClosingLineFeed(Comments);
        return true;
    });
}

void CIniFile::Trim(std::string& str, const std::string& ChrsToTrim, int TrimDir) {
    if (TrimDir != 1) {
        size_t last = str.find_last_not_of(ChrsToTrim);
        str.erase(last == std::string::npos ? 0 : last + 1);
    }
    if (TrimDir != 2) {
        str.erase(0, std::min(str.find_first_not_of(ChrsToTrim), str.size()));
    }
}

}  // namespace lumora_usb_encoder
