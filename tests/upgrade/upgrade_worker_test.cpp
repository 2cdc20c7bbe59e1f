#include "upgrade/upgrade_worker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "common/scoped_env.h"
#include "common/temp_folder.h"
#include "common/world.h"
#include "firmware/firmware_resources.h"
#include "firmware/image_check.h"

namespace lumora_usb_encoder::testing {
namespace {

class UpgradeWorkerTest : public ::testing::Test {
  protected:
    UpgradeWorkerTest() { world.enterLoader(); }

    std::string file(const std::string& name, const std::string& text) {
        return scratch.write(name, text);
    }
    std::vector<std::string> run(const UpgradeRequest& request) {
        std::vector<std::string> lines;
        UpgradeWorker worker;
        worker.ReportProgress = [&](int, const std::string& text) {
            if (!text.empty()) {
                lines.push_back(text);
            }
        };
        worker.Result = true;
        BslLibrary bsl;
        runUpgradeWorker(bsl, request, worker);
        result = worker.Result;
        return lines;
    }
    TempFolder scratch;
    // A folder of its own: ctest runs these tests side by side, and one of them installs a RAM
    // loader that another must not find.
    ScopedEnv localData{kLocalDataVariable, scratch.path().string().c_str()};
    World world{"keys=8", {.loader = true}};
    bool result = false;
};

TEST_F(UpgradeWorkerTest, RefusesABadImageBeforeTheDeviceIsTouched) {
    struct Row {
        const char* name;
        std::string path;
        std::string says;
    };
    const std::string resetVector = "@FFFE\n00 44\nq\n";
    const Row rows[] = {
        {"NoFileChosen", "", "No file specified\r\n"},
        {"MissingFile", "/nonexistent/fw.txt", "Firmware image rejected: cannot read"},
        {"NotTiTxt", file("a.txt", "@4400\n01 XY\nq\n"), "Firmware image rejected: line 2"},
        {"BytesInRam", file("b.txt", "@2400\n01\n" + resetVector), "0x2400 lie outside"},
        {"PastTheFlash", file("c.txt", "@243FF\n01 02\n" + resetVector), "0x24400 lie"},
        {"FromInformationMemoryIntoRam", file("d.txt", "@19FF\n01 02\n" + resetVector),
         "0x1A00 lie outside"},
        {"JustPastInformationMemory", file("h.txt", "@1A00\n01\n" + resetVector),
         "0x1A00 lie outside"},
        {"NoResetVector", file("e.txt", "@4400\n01 02\nq\n"), "no reset vector"},
        {"HalfAResetVector", file("f.txt", "@FFFE\n00\nq\n"), "no reset vector"},
        {"BlankResetVector", file("g.txt", "@FFFE\nFF FF\nq\n"), "reset vector (0xFFFE) is blank"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto lines = run({row.path, ""});
        EXPECT_FALSE(result);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find(row.says), std::string::npos) << lines[0];
        EXPECT_EQ(world.loader->reportsReceived(), 0);
    }
}

// Only a vector blank in both bytes is no entry: 0xFF00 is a place in flash like any other.
TEST(ImageCheck, AResetVectorIsBlankOnlyWhenBothBytesAre) {
    TempFolder folder;
    const std::pair<const char*, bool> vectors[] = {
        {"00 FF", true}, {"FF 44", true}, {"FF FF", false}};
    for (const auto& [bytes, entry] : vectors) {
        std::string path = folder.write("image.txt", std::string("@FFFE\n") + bytes + "\nq\n");
        std::string problem;
        EXPECT_EQ(checkFirmwareImage(path, problem), entry) << bytes << ": " << problem;
    }
}

// The built-in RAM loader serves the simulator only: for hardware it must be installed or named.
TEST_F(UpgradeWorkerTest, AnInstalledOrNamedRamLoaderIsCheckedAndUsed) {
    const std::string& good = builtInRamLoaderText();
    std::string wrongVersion = good;
    wrongVersion.replace(wrongVersion.find("00 06 05 34"), 11, "00 06 05 33");
    std::string pastItsEnd = good;  // its second stretch one byte later: as many bytes, one out
    pastItsEnd.replace(pastItsEnd.find("@2576"), 5, "@2577");
    const std::string installedPath =
        (scratch.path() / "VorlaInterface" / "RAM_BSL.00.06.05.34.txt").string();
    struct Row {
        const char* name;
        std::string installed;  // the RAM loader installed ("": none)
        std::string named;      // the one named with --ram-bsl ("": none)
        bool ok;
        std::string says;
    };
    const Row rows[] = {
        {"None", "", "", false, "RAM BSL image not found:\r\n" + installedPath + "\r\n"},
        {"Installed", good, "", true, "Done!"},
        {"Named", "", good, true, "Done!"},
        {"NamedWinsOverInstalled", wrongVersion, good, true, "Done!"},
        {"InstalledOfTheWrongVersion", wrongVersion, "", false, "is not version 00.06.05.34"},
        {"NamedButUnreadable", "", "@2500\n00 06 05 3G\nq", false, "line 2"},
        {"NamedOutsideRam", "", "@4400\n00 06 05 34\nq", false, "lie outside RAM"},
        {"NamedOneBytePastItsLayout", "", pastItsEnd, false, "0x2577 lie outside"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(scratch.path() / "VorlaInterface");
        if (!row.installed.empty()) {
            std::filesystem::create_directory(scratch.path() / "VorlaInterface");
            file("VorlaInterface/RAM_BSL.00.06.05.34.txt", row.installed);
        }
        std::string named = row.named.empty() ? "" : file("named_ram_bsl.txt", row.named);
        World fresh("keys=8", {.loader = true});
        fresh.loader->posesAsHardware = true;
        fresh.enterLoader();
        auto lines = run({kSampleFirmware, named});
        EXPECT_EQ(result, row.ok);
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(lines.back().find(row.says), std::string::npos) << lines.back();
        EXPECT_EQ(fresh.loader->reportsReceived() > 0, row.ok);
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
