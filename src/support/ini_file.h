#pragma once

#include <string>
#include <utility>
#include <vector>

namespace lumora_usb_encoder {

// The settings file and the exchange file are INI files of sections and key=value lines. Every
// operation takes the file name, reads the whole file, works on the records and, when it changes
// something, writes the whole file back, so each call sees the file as it is on disk right now.
// Nothing is kept between calls; an instance is never needed.
//
// Failures show only in the result (false, empty text, empty list); callers decide what to say.
class CIniFile {
  public:
    // One section line or key line. A record with an empty Key is a section header.
    struct Record {
        std::string Comments;  // comment lines before it, each ending in a line feed
        char Commented = ' ';  // ' ' when active, else the '#' or ';' its line was commented with
        std::string Section;
        std::string Key;
        std::string Value;

        bool operator==(const Record&) const = default;
    };

    enum CommentChar : char { Pound = '#', SemiColon = ';' };

    // Predicates and orders over records; comparisons are exact byte comparisons.
    struct RecordSectionIs {
        std::string section;
        bool operator()(const Record& rec) const { return rec.Section == section; }
    };
    struct RecordSectionKeyIs {
        std::string section;
        std::string key;
        bool operator()(const Record& rec) const {
            return rec.Section == section && rec.Key == key;
        }
    };
    struct AscendingSectionSort {
        bool operator()(const Record& Start, const Record& End) const;
    };
    struct DescendingSectionSort {
        bool operator()(const Record& Start, const Record& End) const;
    };
    struct AscendingRecordSort {
        bool operator()(const Record& Start, const Record& End) const;
    };
    struct DescendingRecordSort {
        bool operator()(const Record& Start, const Record& End) const;
    };

    CIniFile() = delete;

    static bool Load(const std::string& FileName, std::vector<Record>& content);
    // Replaces the file whole and atomically: a reader, a crash or a kill never meets a half
    // written file, and a failed write leaves the old file as it was.
    static bool Save(const std::string& FileName, const std::vector<Record>& content);
    static bool Create(const std::string& FileName);

    static std::string Content(const std::string& FileName);
    static std::vector<std::string> GetSectionNames(const std::string& FileName);
    static std::vector<Record> GetSections(const std::string& FileName);
    static std::vector<Record> GetSection(const std::string& SectionName,
                                          const std::string& FileName);
    static bool SectionExists(const std::string& SectionName, const std::string& FileName);
    static bool RecordExists(const std::string& KeyName, const std::string& SectionName,
                             const std::string& FileName);
    static std::vector<Record> GetRecord(const std::string& KeyName, const std::string& SectionName,
                                         const std::string& FileName);
    static std::string GetValue(const std::string& KeyName, const std::string& SectionName,
                                const std::string& FileName);

    // The operations below change a file by loading, changing and saving it whole; they refuse
    // (false, file untouched) a file with a line the load rules drop, which the save would
    // delete: such a file is not one of ours.
    //
    // The operations below that take a name or value refuse (false, file untouched) text that
    // would read back as something else: a key that is empty, holds '=' or a line break, or
    // starts like a comment, section or blank; a value with a line break; a section name with
    // ']' or a line break; comments whose lines do not start with '#' or ';'.
    static bool SetValue(const std::string& KeyName, const std::string& Value,
                         const std::string& SectionName, const std::string& FileName);
    // Several keys of one section in one load and one save: a reader sees all of them changed or
    // none. False (file untouched) when any key or value would be refused by SetValue.
    static bool SetValues(const std::vector<std::pair<std::string, std::string>>& KeysAndValues,
                          const std::string& SectionName, const std::string& FileName);
    static bool AddSection(const std::string& SectionName, const std::string& FileName);
    static bool RenameSection(const std::string& OldSectionName, const std::string& NewSectionName,
                              const std::string& FileName);
    static bool CommentRecord(CommentChar cc, const std::string& KeyName,
                              const std::string& SectionName, const std::string& FileName);
    static bool UnCommentRecord(const std::string& KeyName, const std::string& SectionName,
                                const std::string& FileName);
    static bool CommentSection(char CommentChar, const std::string& SectionName,
                               const std::string& FileName);
    static bool UnCommentSection(const std::string& SectionName, const std::string& FileName);
    static bool DeleteRecord(const std::string& KeyName, const std::string& SectionName,
                             const std::string& FileName);
    static bool DeleteSection(const std::string& SectionName, const std::string& FileName);
    static bool SetSectionComments(const std::string& Comments, const std::string& SectionName,
                                   const std::string& FileName);
    static bool SetRecordComments(const std::string& Comments, const std::string& KeyName,
                                  const std::string& SectionName, const std::string& FileName);
    static bool Sort(const std::string& FileName, bool Descending);

    // Removes the characters of ChrsToTrim from the ends of str: TrimDir 0 both ends, 1 the
    // start only, 2 the end only.
    static void Trim(std::string& str, const std::string& ChrsToTrim = " \t\n\r", int TrimDir = 0);
};

}  // namespace lumora_usb_encoder
