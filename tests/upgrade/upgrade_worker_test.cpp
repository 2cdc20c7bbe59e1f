#include "upgrade/upgrade_worker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "../firmware/loader_world.h"
#include "../support/scoped_env.h"
#include "../support/temp_folder.h"
#include "firmware/firmware_resources.h"

namespace lumora_usb_encoder {
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
    testing::TempFolder scratch;
    // A folder of its own: ctest runs these tests side by side, and one of them installs a RAM
    // loader that another must not find.
    testing::ScopedEnv localData{testing::kLocalDataVariable, scratch.path().string().c_str()};
    LoaderWorld world;
    bool result = false;
};

TEST_F(UpgradeWorkerTest, RefusesABadImageBeforeTheDeviceIsTouched) {
    std::tuple<const char*, std::string, std::string> cases[] = {
        {"no file chosen", "", "No file specified\r\n"},
        {"missing file", "/nonexistent/fw.txt", "Firmware image rejected: cannot read"},
        {"not TI-TXT", file("a.txt", "@4400\n01 XY\nq\n"), "Firmware image rejected: line 2"},
        {"bytes in RAM", file("b.txt", "@2400\n01\n@FFFE\n00 44\nq\n"), "0x2400 lie outside"},
        {"past the flash", file("c.txt", "@243FF\n01 02\n@FFFE\n00 44\nq\n"), "0x24400 lie"},
        {"from information memory into RAM", file("d.txt", "@19FF\n01 02\n@FFFE\n00 44\nq\n"),
         "0x1A00 lie outside"},
        {"no reset vector", file("e.txt", "@4400\n01 02\nq\n"), "no reset vector"},
        {"half a reset vector", file("f.txt", "@FFFE\n00\nq\n"), "no reset vector"},
        {"blank reset vector", file("g.txt", "@FFFE\nFF FF\nq\n"),
         "reset vector (0xFFFE) is blank"},
    };
    for (const auto& [name, path, line] : cases) {
        auto lines = run({path, ""});
        EXPECT_FALSE(result) << name;
        ASSERT_EQ(lines.size(), 1u) << name;
        EXPECT_NE(lines[0].find(line), std::string::npos) << name << ": " << lines[0];
        EXPECT_EQ(world.loader->reportsReceived(), 0) << name;
    }
}

// The built-in RAM loader serves the simulator only: for hardware it must be installed or named.
TEST_F(UpgradeWorkerTest, AnInstalledOrNamedRamLoaderIsCheckedAndUsed) {
    std::string good = builtInRamLoaderText();
    std::string wrongVersion = good;
    wrongVersion.replace(wrongVersion.find("00 06 05 34"), 11, "00 06 05 33");
    // The RAM loader installed and the one named with --ram-bsl (empty: none), the outcome.
    std::tuple<const char*, std::string, std::string, bool, std::string> cases[] = {
        {"none", "", "", false,
         "RAM BSL image not found: " +
             (scratch.path() / "VorlaInterface" / "RAM_BSL.00.06.05.34.txt").string()},
        {"installed", good, "", true, "Done!"},
        {"named", "", good, true, "Done!"},
        {"named wins over installed", wrongVersion, good, true, "Done!"},
        {"installed of the wrong version", wrongVersion, "", false, "is not version 00.06.05.34"},
        {"named but unreadable", "", "@2500\n00 06 05 3G\nq", false, "line 2"},
        {"named outside RAM", "", "@4400\n00 06 05 34\nq", false, "lie outside RAM"},
    };
    for (const auto& [name, installed, namedText, ok, says] : cases) {
        std::filesystem::remove_all(scratch.path() / "VorlaInterface");
        if (!installed.empty()) {
            std::filesystem::create_directory(scratch.path() / "VorlaInterface");
            file("VorlaInterface/RAM_BSL.00.06.05.34.txt", installed);
        }
        std::string named = namedText.empty() ? "" : file("named_ram_bsl.txt", namedText);
        LoaderWorld fresh;
        fresh.loader->posesAsHardware = true;
        fresh.enterLoader();
        auto lines = run({kSample, named});
        EXPECT_EQ(result, ok) << name;
        ASSERT_FALSE(lines.empty()) << name;
        EXPECT_NE(lines.back().find(says), std::string::npos) << name << ": " << lines.back();
        EXPECT_EQ(fresh.loader->reportsReceived() > 0, ok) << name;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
