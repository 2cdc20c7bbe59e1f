#include "support/ini_file.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <tuple>

#include "common/temp_folder.h"

namespace lumora_usb_encoder {

// Readable failures: a record as its parts.
void PrintTo(const CIniFile::Record& rec, std::ostream* os) {
    *os << "{comments=\"" << rec.Comments << "\" commented='" << rec.Commented << "' ["
        << rec.Section << "] \"" << rec.Key << "\"=\"" << rec.Value << "\"}";
}

namespace {

using testing::fileBytes;
using testing::TempFolder;
using Ini = CIniFile;
using Record = Ini::Record;
using std::bind_front;

Record header(const std::string& section, const std::string& comments = "", char commented = ' ') {
    return Record{comments, commented, section, "", ""};
}
Record key(const std::string& section, const std::string& k, const std::string& v,
           const std::string& comments = "", char commented = ' ') {
    return Record{comments, commented, section, k, v};
}

TEST(IniLoad, ReadsEachLineByTheLoadRules) {
    const std::pair<std::string, std::vector<Record>> cases[] = {
        {"[s]\nkey = value\n", {header("s"), key("s", "key ", " value")}},
        {"[s]\nkey=\n", {header("s"), key("s", "key", "")}},
        {"[s]\nk=a=b=\n", {header("s"), key("s", "k", "a=b=")}},
        {" \t[sec] tail ]x\t\r\n", {header("sec")}},
        {"[s]\nPath=/a/[b]/c]\n", {header("s"), key("s", "Path", "/a/[b]/c]")}},
        {"[s]\n#  k=v\n;j=w\n",
         {header("s"), key("s", "k", "v", "", '#'), key("s", "j", "w", "", ';')}},
        {";[off]\nk=v\n", {header("off", "", ';'), key("off", "k", "v")}},
        {"# one\n  ; two  \n[s]\n#three\nk=v\n",
         {header("s", "# one\n; two\n"), key("s", "k", "v", "#three\n")}},
        {"\n\n[s]\n \t \r\n\nk=v\n\n", {header("s"), key("s", "k", "v")}},
        {" [s]\r\n k=v\r\n", {header("s"), key("s", "k", "v")}},
        {"a=1\n[s]\nb=2\n", {key("", "a", "1"), header("s"), key("s", "b", "2")}},
        {"[open\nk=v\n", {header("open"), key("open", "k", "v")}},
        {"[a=b]\n", {header("a=b")}},
        {"[s]\n# c\njunk\n=nokey\nk=v\n", {header("s"), key("s", "k", "v", "# c\n")}},
        {"[s]\nk=v", {header("s"), key("s", "k", "v")}},
        {"", {}},
    };
    TempFolder folder;
    for (const auto& [text, expected] : cases) {
        std::vector<Record> content{key("stale", "x", "y")};
        ASSERT_TRUE(Ini::Load(folder.write("f.ini", text), content)) << '"' << text << '"';
        EXPECT_EQ(content, expected) << '"' << text << '"';
    }
}

using Edit = std::function<bool(const std::string& path)>;
Edit setValue(std::string k, std::string v, std::string s) {
    return [=](const std::string& path) { return Ini::SetValue(k, v, s, path); };
}
Edit sortedDescending(bool descending) {
    return [=](const std::string& path) { return Ini::Sort(path, descending); };
}

const std::string kAB = " [a]\r\n x=1\r\n [b]\r\n y=2\r\n";

// A file, one operation on it and the file afterwards; "" for an operation that must fail and
// leave the file unchanged.
TEST(IniEdit, ChangesTheFileAsDocumented) {
    const std::tuple<const char*, std::string, Edit, std::string> cases[] = {
        {"SetValueNewKeyGoesRightUnderTheHeader", kAB, setValue("z", "3", "a"),
         " [a]\r\n z=3\r\n x=1\r\n [b]\r\n y=2\r\n"},
        {"NewSectionGoesToTheEnd", kAB, setValue("k", "v", "c"), kAB + " [c]\r\n k=v\r\n"},
        {"SetValueKeepsCommentsAndIndicatorOfAnExistingKey", "[a]\n# note\n;x=1\n",
         setValue("x", "[2]", "a"), " [a]\r\n# note\r\n;x=[2]\r\n"},
        {"SetValueAfterDuplicateHeaderInsertsUnderTheFirst", "[a]\n[b]\n[a]\n",
         setValue("k", "v", "a"), " [a]\r\n k=v\r\n [b]\r\n [a]\r\n"},
        {"AddSectionAddsASecondHeader", "[a]\n", bind_front(Ini::AddSection, "a"),
         " [a]\r\n [a]\r\n"},
        {"BlankLinesDisappearOnTheNextSave", "\n[a]\n\n\nx=1\n\n", setValue("x", "1", "a"),
         " [a]\r\n x=1\r\n"},
        {"TrailingCommentsAreKeptAtTheEnd", "[a]\nx=1\n# last\n", setValue("x", "2", "a"),
         " [a]\r\n x=2\r\n# last\r\n"},
        {"RenameSectionMovesHeaderAndKeys", kAB, bind_front(Ini::RenameSection, "a", "c"),
         " [c]\r\n x=1\r\n [b]\r\n y=2\r\n"},
        {"CommentRecordSetsTheIndicator", kAB,
         bind_front(Ini::CommentRecord, Ini::SemiColon, "y", "b"),
         " [a]\r\n x=1\r\n [b]\r\n;y=2\r\n"},
        {"CommentMissingKeyFails", kAB, bind_front(Ini::CommentRecord, Ini::Pound, "y", "a"), ""},
        {"UnCommentRecordClearsTheIndicator", "[a]\n#x=1\n",
         bind_front(Ini::UnCommentRecord, "x", "a"), " [a]\r\n x=1\r\n"},
        {"CommentSectionMarksHeaderAndKeys", kAB, bind_front(Ini::CommentSection, '#', "a"),
         "#[a]\r\n#x=1\r\n [b]\r\n y=2\r\n"},
        {"UnCommentSection", "#[a]\n#x=1\n", bind_front(Ini::UnCommentSection, "a"),
         " [a]\r\n x=1\r\n"},
        {"DeleteRecordTakesItsComments", "[a]\n# gone\nx=1\ny=2\n",
         bind_front(Ini::DeleteRecord, "x", "a"), " [a]\r\n y=2\r\n"},
        {"DeleteMissingKeyFails", kAB, bind_front(Ini::DeleteRecord, "q", "a"), ""},
        {"DeleteSectionRemovesHeaderAndKeys", kAB, bind_front(Ini::DeleteSection, "a"),
         " [b]\r\n y=2\r\n"},
        {"SetSectionCommentsEndsThemWithALineBreak", kAB,
         bind_front(Ini::SetSectionComments, "# one\n; two", "b"),
         " [a]\r\n x=1\r\n# one\r\n; two\r\n [b]\r\n y=2\r\n"},
        {"CommentMissingSectionFails", kAB, bind_front(Ini::SetSectionComments, "# c", "q"), ""},
        {"SetRecordCommentsPutsThemOverTheKey", kAB,
         bind_front(Ini::SetRecordComments, "# why\n", "x", "a"),
         " [a]\r\n# why\r\n x=1\r\n [b]\r\n y=2\r\n"},
        {"CommentsThatWouldReadBackAsKeysAreRefused", kAB,
         bind_front(Ini::SetRecordComments, "# ok\nz=9", "x", "a"), ""},
        {"AFileWithALineLoadDropsIsNotRewritten", "[a]\nnotes\nx=1\n", setValue("x", "2", "a"), ""},
        {"KeyWithALineBreakIsRefused", kAB, setValue("k\n[evil]", "v", "a"), ""},
        {"ValueWithALineBreakIsRefused", kAB, setValue("k", "v\r\n[evil]", "a"), ""},
        {"KeyHoldingEqualsIsRefused", kAB, setValue("k=j", "v", "a"), ""},
        {"EmptyKeyIsRefused", kAB, setValue("", "v", "a"), ""},
        {"KeyThatReadsAsASectionIsRefused", kAB, setValue("[k", "v", "a"), ""},
        {"SectionNameWithBracketIsRefused", kAB, bind_front(Ini::AddSection, "a]b"), ""},
        {"SortAscendingOrdersSectionsThenKeys", "[b]\nz=1\ny=2\n[a]\nq=3\np=4\n",
         sortedDescending(false), " [a]\r\n p=4\r\n q=3\r\n [b]\r\n y=2\r\n z=1\r\n"},
        {"SortDescendingReversesBoth", "[a]\np=4\nq=3\n[b]\ny=2\nz=1\n", sortedDescending(true),
         " [b]\r\n z=1\r\n y=2\r\n [a]\r\n q=3\r\n p=4\r\n"},
        {"SortOrdersByBytesWithPrefixFirst", "[ab]\n[B]\n[a]\n", sortedDescending(false),
         " [B]\r\n [a]\r\n [ab]\r\n"},
        {"SortKeepsKeysAboveTheFirstHeaderOnTop", "top=1\nabove=2\n[s]\nk=v\n",
         sortedDescending(false), " above=2\r\n top=1\r\n [s]\r\n k=v\r\n"},
        {"SortMergesARepeatedSectionWithoutLosingKeysOrComments",
         "[s]\nb=1\n[t]\nt=1\n# again\n[s]\na=2\n", sortedDescending(false),
         "# again\r\n [s]\r\n a=2\r\n b=1\r\n [t]\r\n t=1\r\n"},
        {"SortWithoutAHeaderFails", "k=v\n", sortedDescending(false), ""}};
    for (const auto& [name, before, edit, after] : cases) {
        TempFolder folder;
        std::string path = folder.write("f.ini", before);
        EXPECT_EQ(edit(path), !after.empty()) << name;
        EXPECT_EQ(fileBytes(path), after.empty() ? before : after) << name;
        EXPECT_EQ(folder.entryCount(), 1u) << name << ": a temporary file was left behind";
    }
}

TEST(IniQueries, FindSectionsAndKeysAsTheyStandInTheFile) {
    TempFolder folder;
    std::string path = folder.write("f.ini", "# top\n[a]\nx=1\n#gone=2\n[b]\ny=\n[a]\nz=3\n");
    EXPECT_EQ(Ini::GetSectionNames(path), (std::vector<std::string>{"a", "b", "a"}));
    EXPECT_EQ(Ini::GetSections(path),
              (std::vector<Record>{header("a", "# top\n"), header("b"), header("a")}));
    EXPECT_EQ(Ini::GetSection("a", path),
              (std::vector<Record>{key("a", "x", "1"), key("a", "gone", "2", "", '#'),
                                   key("a", "z", "3")}));
    EXPECT_TRUE(Ini::SectionExists("b", path));
    EXPECT_FALSE(Ini::SectionExists("B", path));
    EXPECT_TRUE(Ini::RecordExists("y", "b", path));
    EXPECT_FALSE(Ini::RecordExists("y", "a", path));
    EXPECT_EQ(Ini::GetValue("gone", "a", path), "2") << "a commented-out key is still found";
    EXPECT_EQ(Ini::GetValue("y", "b", path), "");
    EXPECT_EQ(Ini::GetRecord("z", "a", path), (std::vector<Record>{key("a", "z", "3")}));
    EXPECT_EQ(Ini::Content(path), "# top\n[a]\nx=1\n#gone=2\n[b]\ny=\n[a]\nz=3\n");
}

TEST(IniMissingFile, ReadsAsEmptyAndIsNeverCreatedByAChange) {
    TempFolder folder;
    std::string path = folder.file("absent.ini");
    std::vector<Record> content{key("keep", "k", "v")};
    EXPECT_FALSE(Ini::Load(path, content));
    EXPECT_EQ(content.size(), 1u) << "a failed load leaves the list untouched";
    EXPECT_EQ(Ini::GetValue("k", "s", path), "");
    EXPECT_EQ(Ini::Content(path), "");
    EXPECT_TRUE(Ini::GetSections(path).empty());
    EXPECT_FALSE(Ini::SectionExists("s", path));
    EXPECT_FALSE(Ini::SetValue("k", "v", "s", path));
    EXPECT_FALSE(Ini::AddSection("s", path));
    EXPECT_FALSE(Ini::Sort(path, false));
    EXPECT_EQ(folder.entryCount(), 0u);
    ASSERT_TRUE(Ini::Create(path));
    ASSERT_TRUE(Ini::AddSection("s", path));
    ASSERT_TRUE(Ini::SetValue("k", "v", "s", path));
    EXPECT_EQ(fileBytes(path), " [s]\r\n k=v\r\n");
    EXPECT_EQ(Ini::GetValue("k", "s", path), "v");
    ASSERT_TRUE(Ini::Create(path));
    EXPECT_EQ(fileBytes(path), "") << "creating empties an existing file";
}

// Each text with what trimming leaves at both ends (0), the left (1) and the right (2).
TEST(IniTrim, RemovesTheGivenCharactersFromTheChosenEnds) {
    const std::pair<std::string, std::array<std::string, 3>> cases[] = {
        {" \t a b \r\n", {"a b", "a b \r\n", " \t a b"}},
        {" \t\r\n", {"", "", ""}},
        {"", {"", "", ""}},
        {"x", {"x", "x", "x"}}};
    for (const auto& [in, trimmed] : cases) {
        for (int dir = 0; dir < 3; ++dir) {
            std::string text = in;
            Ini::Trim(text, " \t\r\n", dir);
            EXPECT_EQ(text, trimmed[static_cast<size_t>(dir)])
                << "dir " << dir << " on \"" << in << "\"";
        }
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
