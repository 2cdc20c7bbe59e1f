#include "settings/settings_values.h"
#include "settings/keypad_settings.h"
#include "settings/settings_ini.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <numeric>

#include "common/printing.h"
#include "common/scoped_env.h"
#include "common/temp_folder.h"
#include "settings/keypad_fields.h"
#include "settings/settings_file.h"
#include "support/platform_files.h"

namespace lumora_usb_encoder {
namespace {

TEST(SettingValues, OnlyDecimalBytesAreReadable) {
    const auto readable = std::to_array<std::pair<const char*, int>>({
        {"0", 0},
        {"7", 7},
        {"224", 224},
        {"255", 255},
        {"007", 7},
        {" 5 ", 5},
        {"\t9", 9},
    });
    for (auto [text, value] : readable) {
        EXPECT_EQ(parseSettingByte(text), value) << '"' << text << '"';
    }
    for (const char* bad :
         {"", "  ", "256", "-1", "+1", "1 2", "0x10", "99999999999999999999", "5,"}) {
        EXPECT_EQ(parseSettingByte(bad), std::nullopt) << '"' << bad << '"';
    }
}

std::string numbers(int count, const char* tail) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += std::to_string(i) + (i < count ? "," : "");
    }
    return text + tail;
}

std::vector<uint8_t> oneTo(int count) {
    std::vector<uint8_t> table(static_cast<size_t>(count));
    std::iota(table.begin(), table.end(), uint8_t{1});
    return table;
}

TEST(SettingValues, CodeTableNeedsTwentyReadablePiecesAndTakesUpToThirtyTwo) {
    const std::pair<std::string, std::optional<std::vector<uint8_t>>> cases[] = {
        {numbers(20, ","), oneTo(20)},        // as saved: 21 pieces, the last empty
        {numbers(20, ""), oneTo(20)},         // without the final comma
        {numbers(20, ",junk,,"), oneTo(20)},  // a piece that is no number ends the table
        {numbers(24, ","), oneTo(24)},        // a 12-key keypad's table
        {numbers(32, ","), oneTo(32)},        // a 16-key keypad's table
        {numbers(40, ","), oneTo(32)},        // no keypad has more
        {numbers(19, ","), std::nullopt},     // the twentieth piece is empty
        {numbers(19, ""), std::nullopt},
        {numbers(19, ",x,"), std::nullopt},
        {"", std::nullopt},
        {numbers(19, ",256,"), std::nullopt},
    };
    for (const auto& [text, table] : cases) {
        EXPECT_EQ(parseCodeTableValues(text), table) << '"' << text << '"';
    }
}

TEST(SettingValues, TheTableIsSentWholeWhereTheKeypadTypeTakesIt) {
    auto payload = [](uint8_t type, int numbers) {
        KeypadSettings s;
        s.keypadType = type;
        s.codeTable = oneTo(numbers);
        return codeTablePayload(s);
    };
    auto padded = oneTo(24);  // the 32-byte form, zeros after the last key
    padded.resize(32, 0);
    EXPECT_EQ(payload(2, 20), oneTo(20));
    EXPECT_EQ(payload(2, 32), oneTo(20)) << "a small keypad's type takes 20";
    EXPECT_EQ(payload(5, 20), oneTo(20)) << "an old file still sends its 20";
    EXPECT_EQ(payload(5, 24), padded) << "the 12-key editor's form";
    EXPECT_EQ(payload(5, 32), padded);
    EXPECT_EQ(payload(8, 32), oneTo(32));
    EXPECT_EQ(payload(8, 24), padded);
}

TEST(SettingValues, TableIsReadOnlyForCustomisedTables) {
    auto file = std::map<std::string, std::string>({
        {"Options", "6"},
        {"KeypadLayout", "1"},
        {"LedBrightness", "5"},
        {"LedColour", "0"},
        {"Buzzer", "1"},
        {"BuzzerPeriod", "8"},
        {"CodeTableValues", "broken"},
    });
    auto valueOf = [&](const char* key) { return file[key]; };
    std::string problem;
    auto read = settingsFromIni(valueOf, TableNeed::WhenCustom, problem);
    ASSERT_TRUE(read) << problem;
    EXPECT_TRUE(read->codeTable.empty());
    EXPECT_EQ(read->buzzerPeriod, 9) << "the file keeps the list entry, one below the period";
    for (const char* custom : {"2", "5", "8"}) {
        file["KeypadLayout"] = custom;
        EXPECT_FALSE(settingsFromIni(valueOf, TableNeed::WhenCustom, problem)) << custom;
        EXPECT_EQ(problem, "bad value of CodeTableValues");
    }
}

TEST(SettingsFile, FirstUseCreatesTheTenEmptyKeysNewestFirst) {
    testing::TempFolder folder;
    std::string path = folder.file("data/VorlaInterface/USBUtilityCfg.ini");
    ASSERT_TRUE(ensureSettingsFile(path));
    EXPECT_EQ(testing::fileBytes(path),
              " [appSettings]\r\n SerialNumber=\r\n Options=\r\n"
              " FirmwareFile=\r\n CodeTableValues=\r\n BuzzerPeriod=\r\n"
              " Buzzer=\r\n LedColour=\r\n LedBrightness=\r\n"
              " KeypadLayout=\r\n FirstUp=\r\n");
    std::string odd = folder.write("odd.ini", "odd content\n");
    EXPECT_TRUE(ensureSettingsFile(odd));
    EXPECT_EQ(testing::fileBytes(odd), "odd content\n") << "an existing file is left alone";
    EXPECT_FALSE(ensureSettingsFile(""));
    std::filesystem::create_directory(folder.path() / "dir.ini");
    EXPECT_FALSE(ensureSettingsFile(folder.file("dir.ini")));
}

// The usual place is made on first use, under the system's local data folder.
TEST(SettingsFile, FirstUseMakesTheFolderInTheLocalDataFolder) {
    testing::TempFolder folder;
    testing::ScopedEnv localData(testing::kLocalDataVariable, utf8String(folder.path()).c_str());
    std::string path = defaultSettingsPath();
    EXPECT_EQ(path, utf8String(folder.path() / "VorlaInterface" / "USBUtilityCfg.ini"));
    EXPECT_FALSE(pathExists(utf8String(folder.path() / "VorlaInterface")));
    ASSERT_TRUE(ensureSettingsFile(path));
    EXPECT_TRUE(fileExists(path));
}

// The main window's table list and status lines: the three entries stand for the tables of the
// keypad's own family.
TEST(KeypadFamily, TheTableListFollowsTheKeypadsFamily) {
    // Type, its entry in the table list, what picking "Customise Table" sends, the variant shown
    // with options naming an 8-key keypad, the table's status line.
    struct Row {
        const char* name;
        int32_t type;
        int32_t entry;
        int32_t customisedAs;
        const char* variant;
        const char* table;
    };
    const Row rows[] = {
        {"SmallDefault", 0, 0, 2, "8Way Keypad", "Default      Table"},
        {"SmallCustomised", 2, 2, 2, "8Way Keypad", "Customise Table"},
        {"TwelveKeysDefault", 3, 0, 5, "12Way Keypad", "Default      Table"},
        {"TwelveKeysAlternate", 4, 1, 5, "12Way Keypad", "Alternate   Table"},
        {"TwelveKeysCustomised", 5, 2, 5, "12Way Keypad", "Customise Table"},
        {"SixteenKeysDefault", 6, 0, 8, "16Way Keypad", "Default      Table"},
        {"SixteenKeysCustomised", 8, 2, 8, "16Way Keypad", "Customise Table"},
        {"UnknownType", 9, -1, 2, "8Way Keypad", "Table 9"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(keypadTypeListEntry(row.type), row.entry);
        EXPECT_EQ(keypadTypeForListEntry(row.type, 2), row.customisedAs);
        EXPECT_EQ(variantText(2, row.type), row.variant);
        EXPECT_EQ(keypadTypeText(row.type), row.table);
    }
    EXPECT_EQ(variantText(0, 2), "5Way Keypad") << "the options byte names the small keypads";
}

}  // namespace
}  // namespace lumora_usb_encoder
