// The folders are the layers: a folder includes only from the folders it builds on, and only the
// windows see Qt. A wrong include compiles and links fine, so only this test keeps it so.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

// What each folder of src/ may include besides itself: a whole folder, or one header of it.
const std::map<std::string, std::set<std::string>> kAllowed = {
    {"support", {}},
    {"device", {"support"}},
    {"socket", {"support", "device"}},
    {"codetable", {"support", "device"}},
    {"settings", {"support", "device"}},
    {"firmware", {"support", "device"}},
    {"upgrade", {"support", "device", "settings", "firmware"}},
    {"selftest", {"support", "device", "settings"}},
    // The simulated loader speaks the loader's wire format, never the programming sequence.
    {"sim",
     {"support", "device", "firmware/loader_protocol.h", "firmware/firmware_resources.h",
      "firmware/ti_txt.h"}},
    {"app", {"support", "device", "socket", "sim"}},
    {"simserver", {"support", "device", "socket", "sim", "app"}},
    {"cli",
     {"support", "device", "socket", "codetable", "settings", "firmware", "upgrade", "selftest",
      "sim", "app"}},
    {"gui",
     {"support", "device", "socket", "codetable", "settings", "firmware", "upgrade", "selftest",
      "sim", "app"}},
};

bool allowed(const std::string& folder, const std::string& included) {
    std::string target = included.substr(0, included.find('/'));
    if (target == folder) {
        return true;
    }
    const auto& pairs = kAllowed.at(folder);
    return pairs.count(target) > 0 || pairs.count(included) > 0;
}

TEST(Layering, EveryIncludeGoesDownAndOnlyWindowsSeeQt) {
    const fs::path src = fs::path(QUILLON_SOURCE_DIR) / "src";
    const std::regex projectInclude(R"(^\s*#\s*include\s+"([a-z_]+/[^"]+)\")");
    const std::regex qtInclude(R"(^\s*#\s*include\s+<Q)");
    int filesSeen = 0;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        auto ext = entry.path().extension();
        if (ext != ".h" && ext != ".cpp") {
            continue;
        }
        ++filesSeen;
        auto relative = fs::relative(entry.path(), src).generic_string();
        auto folder = relative.substr(0, relative.find('/'));
        ASSERT_TRUE(kAllowed.count(folder)) << relative << ": a folder the layers do not name";
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            std::smatch match;
            if (std::regex_search(line, match, projectInclude)) {
                EXPECT_TRUE(allowed(folder, match[1].str()))
                    << relative << ":" << number << " includes " << match[1].str();
            }
            EXPECT_FALSE(folder != "gui" && std::regex_search(line, qtInclude))
                << relative << ":" << number << " includes Qt outside src/gui";
        }
    }
    EXPECT_GT(filesSeen, 100);
}

}  // namespace
