#include "support/platform_files.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "common/scoped_env.h"
#include "common/temp_folder.h"

namespace lumora_usb_encoder {
namespace {

using testing::fileBytes;
using testing::ScopedEnv;
using testing::TempFolder;

#ifdef _WIN32
TEST(LocalDataFolder, PrefersAnAbsoluteLocalAppDataElseTheKnownFolder) {
    std::optional<std::string> known;
    {
        ScopedEnv unset("LOCALAPPDATA", nullptr);
        known = localDataFolder();
    }
    ASSERT_TRUE(known) << "the known folder LocalAppData";
    EXPECT_EQ(known->substr(1, 2), ":\\") << *known << ": no drive";
    const std::tuple<const char*, std::string> cases[] = {
        {"D:\\Data", "D:\\Data"},
        {"\\\\server\\share", "\\\\server\\share"},
        {"relative\\data", *known},
    };
    for (const auto& [variable, expected] : cases) {
        ScopedEnv localAppData("LOCALAPPDATA", variable);
        EXPECT_EQ(localDataFolder(), expected) << variable;
    }
}
#else
TEST(LocalDataFolder, PrefersAnAbsoluteXdgDataHomeElseTheHomeFolder) {
    const std::tuple<const char*, const char*> cases[] = {
        {"/xdg/data", "/xdg/data"},
        {nullptr, "/home/u/.local/share"},
        {"", "/home/u/.local/share"},
        {"relative/data", "/home/u/.local/share"}};
    ScopedEnv home("HOME", "/home/u");
    for (const auto& [xdg, expected] : cases) {
        ScopedEnv xdgHome("XDG_DATA_HOME", xdg);
        EXPECT_EQ(localDataFolder(), expected) << (xdg ? xdg : "(unset)");
    }
}
#endif

TEST(FileFunctions, CreateFolderAndExistenceTests) {
    TempFolder folder;
    std::string nested = folder.file("a/b/c");
    EXPECT_FALSE(pathExists(nested));
    EXPECT_TRUE(createFolder(nested));
    EXPECT_TRUE(createFolder(nested)) << "an existing folder is fine";
    EXPECT_TRUE(pathExists(nested));
    EXPECT_FALSE(fileExists(nested)) << "a folder is no file";
    std::string file = folder.write("f", "x");
    EXPECT_TRUE(fileExists(file));
    EXPECT_FALSE(createFolder(file)) << "a file stands in the way";
}

// A copy succeeds exactly when there is a source to copy.
TEST(CopyFileOverwrite, ReplacesTheTargetOnlyWhenTheCopySucceeds) {
    // Whether the source and the target are there, whether they are the same file.
    const std::tuple<const char*, bool, bool, bool, std::string> cases[] = {
        {"NewTarget", true, false, false, "source"},
        {"OverwritesTarget", true, true, false, "source"},
        {"MissingSourceKeepsTarget", false, true, false, "target"},
        {"MissingSourceCreatesNothing", false, false, false, "<missing>"},
        {"OntoItselfKeepsTheBytes", true, false, true, "source"},
    };
    for (const auto& [name, sourcePresent, targetPresent, sameFile, targetAfter] : cases) {
        TempFolder folder;
        std::string from =
            sourcePresent ? folder.write("from.ini", "source") : folder.file("from.ini");
        if (targetPresent) {
            folder.write("to.ini", "target");
        }
        std::string to = sameFile ? from : folder.file("to.ini");
        EXPECT_EQ(copyFileOverwrite(from, to), sourcePresent) << name;
        EXPECT_EQ(fileBytes(to), targetAfter) << name;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
