#include "support/ini_file.h"

#include <gtest/gtest.h>

#include <functional>

#include "temp_folder.h"

namespace lumora_usb_encoder {

// Readable failures: a record as its parts.
void PrintTo(const CIniFile::Record& rec, std::ostream* os) {
    *os << "{comments=\"" << rec.Comments << "\" commented='" << rec.Commented << "' ["
        << rec.Section << "] \"" << rec.Key << "\"=\"" << rec.Value << "\"}";
}

namespace {

using testing::fileBytes;
using testing::TempFolder;
using Record = CIniFile::Record;

Record header(const std::string& section, const std::string& comments = "", char commented = ' ') {
    return Record{comments, commented, section, "", ""};
}
Record key(const std::string& section, const std::string& k, const std::string& v,
           const std::string& comments = "", char commented = ' ') {
    return Record{comments, commented, section, k, v};
}

struct LoadCase {
    const char* name;
    std::string text;
    std::vector<Record> expected;
};

class IniLoad : public ::testing::TestWithParam<LoadCase> {};

TEST_P(IniLoad, ReadsEachLineByTheLoadRules) {
    TempFolder folder;
    std::vector<Record> content{key("stale", "x", "y")};
    ASSERT_TRUE(CIniFile::Load(folder.write("f.ini", GetParam().text), content));
    EXPECT_EQ(content, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, IniLoad,
    ::testing::Values(
        LoadCase{"SpacesAroundEqualsAreKept",
                 "[s]\nkey = value\n",
                 {header("s"), key("s", "key ", " value")}},
        LoadCase{
            "LineEndingInEqualsHasEmptyValue", "[s]\nkey=\n", {header("s"), key("s", "key", "")}},
        LoadCase{"ValueMayHoldEquals", "[s]\nk=a=b=\n", {header("s"), key("s", "k", "a=b=")}},
        LoadCase{"SectionLineIsTrimmedAndTextAfterBracketIgnored",
                 " \t[sec] tail ]x\t\r\n",
                 {header("sec")}},
        LoadCase{"ValueWithBracketsIsKept",
                 "[s]\nPath=/a/[b]/c]\n",
                 {header("s"), key("s", "Path", "/a/[b]/c]")}},
        LoadCase{"CommentedKeyKeepsItsIndicator",
                 "[s]\n#  k=v\n;j=w\n",
                 {header("s"), key("s", "k", "v", "", '#'), key("s", "j", "w", "", ';')}},
        LoadCase{"CommentedSectionStillNamesTheSection",
                 ";[off]\nk=v\n",
                 {header("off", "", ';'), key("off", "k", "v")}},
        LoadCase{"CommentLinesTravelWithTheNextRecord",
                 "# one\n  ; two  \n[s]\n#three\nk=v\n",
                 {header("s", "# one\n; two\n"), key("s", "k", "v", "#three\n")}},
        LoadCase{"BlankLinesAreIgnored",
                 "\n\n[s]\n \t \r\n\nk=v\n\n",
                 {header("s"), key("s", "k", "v")}},
        LoadCase{"CrLfLinesReadLikeLfLines", " [s]\r\n k=v\r\n", {header("s"), key("s", "k", "v")}},
        LoadCase{"KeysBeforeAnyHeaderHaveNoSection",
                 "a=1\n[s]\nb=2\n",
                 {key("", "a", "1"), header("s"), key("s", "b", "2")}},
        LoadCase{"SectionWithoutBracketIsNamedByTheRest",
                 "[open\nk=v\n",
                 {header("open"), key("open", "k", "v")}},
        LoadCase{"SectionNameMayHoldEquals", "[a=b]\n", {header("a=b")}},
        LoadCase{"UnreadableLineIsDroppedAndItsCommentsGoOn",
                 "[s]\n# c\njunk\n=nokey\nk=v\n",
                 {header("s"), key("s", "k", "v", "# c\n")}},
        LoadCase{"LastLineWithoutLineBreakIsRead", "[s]\nk=v", {header("s"), key("s", "k", "v")}},
        LoadCase{"EmptyFileHasNoRecords", "", {}}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST(IniSave, WritesCrLfAndOneLeadingCharacterPerRecordLine) {
    TempFolder folder;
    std::string path = folder.file("f.ini");
    std::vector<Record> content{header("appSettings", "# first\n; second\n"),
                                key("appSettings", "FirstUp", "Yes"),
                                key("appSettings", "Old", "1", "", '#')};
    ASSERT_TRUE(CIniFile::Save(path, content));
    EXPECT_EQ(fileBytes(path),
              "# first\r\n; second\r\n [appSettings]\r\n FirstUp=Yes\r\n#Old=1\r\n");
    std::vector<Record> reread;
    ASSERT_TRUE(CIniFile::Load(path, reread));
    EXPECT_EQ(reread, content);
}

// A file, one operation on it, the operation's result and the file afterwards.
struct EditCase {
    const char* name;
    std::string before;
    std::function<bool(const std::string& path)> edit;
    bool result;
    std::string after;  // "" : unchanged
};

class IniEdit : public ::testing::TestWithParam<EditCase> {};

std::function<bool(const std::string&)> setValue(std::string k, std::string v, std::string s) {
    return [=](const std::string& path) { return CIniFile::SetValue(k, v, s, path); };
}
std::function<bool(const std::string&)> sortedDescending(bool descending) {
    return [=](const std::string& path) { return CIniFile::Sort(path, descending); };
}

TEST_P(IniEdit, ChangesTheFileAsDocumented) {
    TempFolder folder;
    std::string path = folder.write("f.ini", GetParam().before);
    EXPECT_EQ(GetParam().edit(path), GetParam().result);
    EXPECT_EQ(fileBytes(path), GetParam().after.empty() ? GetParam().before : GetParam().after);
    EXPECT_EQ(folder.entryCount(), 1u) << "a temporary file was left behind";
}

const std::string kTwoSections = " [a]\r\n x=1\r\n [b]\r\n y=2\r\n";

INSTANTIATE_TEST_SUITE_P(
    Operations, IniEdit,
    ::testing::Values(
        EditCase{"SetValueNewKeyGoesRightUnderTheHeader", kTwoSections, setValue("z", "3", "a"),
                 true, " [a]\r\n z=3\r\n x=1\r\n [b]\r\n y=2\r\n"},
        EditCase{"SetValueNewSectionGoesToTheEnd", kTwoSections, setValue("k", "v", "c"), true,
                 kTwoSections + " [c]\r\n k=v\r\n"},
        EditCase{"SetValueKeepsCommentsAndIndicatorOfAnExistingKey", "[a]\n# note\n;x=1\n",
                 setValue("x", "[2]", "a"), true, " [a]\r\n# note\r\n;x=[2]\r\n"},
        EditCase{"SetValueAfterDuplicateHeaderInsertsUnderTheFirst", "[a]\n[b]\n[a]\n",
                 setValue("k", "v", "a"), true, " [a]\r\n k=v\r\n [b]\r\n [a]\r\n"},
        EditCase{"AddSectionAddsASecondHeaderOfTheSameName", "[a]\n",
                 [](auto& p) { return CIniFile::AddSection("a", p); }, true, " [a]\r\n [a]\r\n"},
        EditCase{"BlankLinesDisappearOnTheNextSave", "\n[a]\n\n\nx=1\n\n", setValue("x", "1", "a"),
                 true, " [a]\r\n x=1\r\n"},
        EditCase{"TrailingCommentsAreKeptAtTheEnd", "[a]\nx=1\n# last\n", setValue("x", "2", "a"),
                 true, " [a]\r\n x=2\r\n# last\r\n"},
        EditCase{"RenameSectionMovesHeaderAndKeys", kTwoSections,
                 [](auto& p) { return CIniFile::RenameSection("a", "c", p); }, true,
                 " [c]\r\n x=1\r\n [b]\r\n y=2\r\n"},
        EditCase{"CommentRecordSetsTheIndicator", kTwoSections,
                 [](auto& p) { return CIniFile::CommentRecord(CIniFile::SemiColon, "y", "b", p); },
                 true, " [a]\r\n x=1\r\n [b]\r\n;y=2\r\n"},
        EditCase{"CommentRecordOfAMissingKeyFails", kTwoSections,
                 [](auto& p) { return CIniFile::CommentRecord(CIniFile::Pound, "y", "a", p); },
                 false, ""},
        EditCase{"UnCommentRecordClearsTheIndicator", "[a]\n#x=1\n",
                 [](auto& p) { return CIniFile::UnCommentRecord("x", "a", p); }, true,
                 " [a]\r\n x=1\r\n"},
        EditCase{"CommentSectionMarksHeaderAndKeys", kTwoSections,
                 [](auto& p) { return CIniFile::CommentSection('#', "a", p); }, true,
                 "#[a]\r\n#x=1\r\n [b]\r\n y=2\r\n"},
        EditCase{"UnCommentSectionClearsThem", "#[a]\n#x=1\n",
                 [](auto& p) { return CIniFile::UnCommentSection("a", p); }, true,
                 " [a]\r\n x=1\r\n"},
        EditCase{"DeleteRecordTakesItsComments", "[a]\n# gone\nx=1\ny=2\n",
                 [](auto& p) { return CIniFile::DeleteRecord("x", "a", p); }, true,
                 " [a]\r\n y=2\r\n"},
        EditCase{"DeleteRecordOfAMissingKeyFails", kTwoSections,
                 [](auto& p) { return CIniFile::DeleteRecord("q", "a", p); }, false, ""},
        EditCase{"DeleteSectionRemovesHeaderAndKeys", kTwoSections,
                 [](auto& p) { return CIniFile::DeleteSection("a", p); }, true, " [b]\r\n y=2\r\n"},
        EditCase{"SetSectionCommentsEndsThemWithALineBreak", kTwoSections,
                 [](auto& p) { return CIniFile::SetSectionComments("# one\n; two", "b", p); }, true,
                 " [a]\r\n x=1\r\n# one\r\n; two\r\n [b]\r\n y=2\r\n"},
        EditCase{"SetSectionCommentsOfAMissingSectionFails", kTwoSections,
                 [](auto& p) { return CIniFile::SetSectionComments("# c", "q", p); }, false, ""},
        EditCase{"SetRecordCommentsPutsThemOverTheKey", kTwoSections,
                 [](auto& p) { return CIniFile::SetRecordComments("# why\n", "x", "a", p); }, true,
                 " [a]\r\n# why\r\n x=1\r\n [b]\r\n y=2\r\n"},
        EditCase{"CommentsThatWouldReadBackAsKeysAreRefused", kTwoSections,
                 [](auto& p) { return CIniFile::SetRecordComments("# ok\nz=9", "x", "a", p); },
                 false, ""},
        EditCase{"KeyWithALineBreakIsRefused", kTwoSections, setValue("k\n[evil]", "v", "a"), false,
                 ""},
        EditCase{"ValueWithALineBreakIsRefused", kTwoSections, setValue("k", "v\r\n[evil]", "a"),
                 false, ""},
        EditCase{"KeyHoldingEqualsIsRefused", kTwoSections, setValue("k=j", "v", "a"), false, ""},
        EditCase{"EmptyKeyIsRefused", kTwoSections, setValue("", "v", "a"), false, ""},
        EditCase{"KeyThatReadsAsASectionIsRefused", kTwoSections, setValue("[k", "v", "a"), false,
                 ""},
        EditCase{"SectionNameWithBracketIsRefused", kTwoSections,
                 [](auto& p) { return CIniFile::AddSection("a]b", p); }, false, ""},
        EditCase{"SortAscendingOrdersSectionsThenKeys", "[b]\nz=1\ny=2\n[a]\nq=3\np=4\n",
                 sortedDescending(false), true, " [a]\r\n p=4\r\n q=3\r\n [b]\r\n y=2\r\n z=1\r\n"},
        EditCase{"SortDescendingReversesBoth", "[a]\np=4\nq=3\n[b]\ny=2\nz=1\n",
                 sortedDescending(true), true, " [b]\r\n z=1\r\n y=2\r\n [a]\r\n q=3\r\n p=4\r\n"},
        EditCase{"SortOrdersByBytesWithPrefixFirst", "[ab]\n[B]\n[a]\n", sortedDescending(false),
                 true, " [B]\r\n [a]\r\n [ab]\r\n"},
        EditCase{"SortKeepsKeysAboveTheFirstHeaderOnTop", "top=1\nabove=2\n[s]\nk=v\n",
                 sortedDescending(false), true, " above=2\r\n top=1\r\n [s]\r\n k=v\r\n"},
        EditCase{"SortMergesARepeatedSectionWithoutLosingKeysOrComments",
                 "[s]\nb=1\n[t]\nt=1\n# again\n[s]\na=2\n", sortedDescending(false), true,
                 "# again\r\n [s]\r\n a=2\r\n b=1\r\n [t]\r\n t=1\r\n"},
        EditCase{"SortWithoutAHeaderFails", "k=v\n", sortedDescending(false), false, ""}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST(IniQueries, FindSectionsAndKeysAsTheyStandInTheFile) {
    TempFolder folder;
    std::string path = folder.write("f.ini", "# top\n[a]\nx=1\n#gone=2\n[b]\ny=\n[a]\nz=3\n");
    EXPECT_EQ(CIniFile::GetSectionNames(path), (std::vector<std::string>{"a", "b", "a"}));
    EXPECT_EQ(CIniFile::GetSections(path),
              (std::vector<Record>{header("a", "# top\n"), header("b"), header("a")}));
    EXPECT_EQ(CIniFile::GetSection("a", path),
              (std::vector<Record>{key("a", "x", "1"), key("a", "gone", "2", "", '#'),
                                   key("a", "z", "3")}));
    EXPECT_TRUE(CIniFile::SectionExists("b", path));
    EXPECT_FALSE(CIniFile::SectionExists("B", path));
    EXPECT_TRUE(CIniFile::RecordExists("y", "b", path));
    EXPECT_FALSE(CIniFile::RecordExists("y", "a", path));
    EXPECT_EQ(CIniFile::GetValue("gone", "a", path), "2") << "a commented-out key is still found";
    EXPECT_EQ(CIniFile::GetValue("y", "b", path), "");
    EXPECT_EQ(CIniFile::GetRecord("z", "a", path), (std::vector<Record>{key("a", "z", "3")}));
    EXPECT_EQ(CIniFile::Content(path), "# top\n[a]\nx=1\n#gone=2\n[b]\ny=\n[a]\nz=3\n");
}

TEST(IniMissingFile, ReadsAsEmptyAndIsNeverCreatedByAChange) {
    TempFolder folder;
    std::string path = folder.file("absent.ini");
    std::vector<Record> content{key("keep", "k", "v")};
    EXPECT_FALSE(CIniFile::Load(path, content));
    EXPECT_EQ(content.size(), 1u) << "a failed load leaves the list untouched";
    EXPECT_EQ(CIniFile::GetValue("k", "s", path), "");
    EXPECT_EQ(CIniFile::Content(path), "");
    EXPECT_TRUE(CIniFile::GetSections(path).empty());
    EXPECT_FALSE(CIniFile::SectionExists("s", path));
    EXPECT_FALSE(CIniFile::SetValue("k", "v", "s", path));
    EXPECT_FALSE(CIniFile::AddSection("s", path));
    EXPECT_FALSE(CIniFile::Sort(path, false));
    EXPECT_EQ(folder.entryCount(), 0u);

    ASSERT_TRUE(CIniFile::Create(path));
    ASSERT_TRUE(CIniFile::AddSection("s", path));
    ASSERT_TRUE(CIniFile::SetValue("k", "v", "s", path));
    EXPECT_EQ(fileBytes(path), " [s]\r\n k=v\r\n");
    EXPECT_EQ(CIniFile::GetValue("k", "s", path), "v");
}

TEST(IniCreate, EmptiesAnExistingFile) {
    TempFolder folder;
    std::string path = folder.write("f.ini", "[a]\nx=1\n");
    ASSERT_TRUE(CIniFile::Create(path));
    EXPECT_EQ(fileBytes(path), "");
}

struct TrimCase {
    std::string in;
    int dir;
    std::string out;
};

TEST(IniTrim, RemovesTheGivenCharactersFromTheChosenEnds) {
    const TrimCase cases[] = {
        {" \t a b \r\n", 0, "a b"},
        {" \t a b \r\n", 1, "a b \r\n"},
        {" \t a b \r\n", 2, " \t a b"},
        {" \t\r\n", 0, ""},
        {" \t\r\n", 1, ""},
        {" \t\r\n", 2, ""},
        {"", 0, ""},
        {"x", 0, "x"},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        CIniFile::Trim(text, " \t\r\n", c.dir);
        EXPECT_EQ(text, c.out) << "dir " << c.dir << " on \"" << c.in << "\"";
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
