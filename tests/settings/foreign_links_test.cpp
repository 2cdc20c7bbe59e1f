// Links where the settings jobs write. In a folder everyone may write to (a shared /tmp), another
// user can plant a link named like the exchange or settings file that leads to a file of the
// victim's: following it would overwrite that file with the victim's own rights.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "common/world.h"
#include "settings/config_files.h"
#include "settings/keypad_fields.h"

namespace lumora_usb_encoder {
namespace {

using testing::fileBytes;
using testing::World;
namespace fs = std::filesystem;

constexpr uid_t kOtherUser = 65534;  // nobody
const std::string kSaved =
    " [appSettings]\r\n SerialNumber=\r\n Options=6\r\n BuzzerPeriod=2\r\n Buzzer=1\r\n"
    " LedColour=0\r\n LedBrightness=3\r\n KeypadLayout=1\r\n FirstUp=Yes\r\n";

// A world-writable folder with the sticky bit, as /tmp is, holding `name` as a link to a file
// of the victim's outside it.
struct SharedFolder {
    explicit SharedFolder(World& world, const std::string& name) {
        fs::create_directory(world.folder.path() / "shared");
        fs::permissions(world.folder.path() / "shared", fs::perms::all | fs::perms::sticky_bit);
        victim = world.folder.write("important.txt", "the victim's own notes\n");
        link = world.folder.file("shared/" + name);
        fs::create_symlink(victim, link);
    }
    std::string victim;
    std::string link;
};

TEST(Links, TheUsersOwnLinkIsFollowedAndNamedInTheQuestion) {
    World world;
    SharedFolder shared(world, "USBUtilityQuillonCfg.ini");
    std::string settings = world.folder.write("USBUtilityCfg.ini", kSaved);
    world.ui.answers.push_back(true);
    EXPECT_EQ(exportConfigFileTo(world.ui, shared.link, settings), ExportResult::Exported);
    EXPECT_EQ(world.ui.shown(testing::RecordingUi::Kind::Question),
              std::vector<std::string>{"Save USBUtilityCfg File: USBUtilityQuillonCfg.ini file "
                                       "already exists. Do you want to overwrite it?\nIt is a "
                                       "link: " +
                                       shared.victim + " would be overwritten."});
    EXPECT_EQ(fileBytes(shared.victim), kSaved);
    EXPECT_TRUE(fs::is_symlink(shared.link));
}

TEST(Links, AnotherUsersLinkIsNeverFollowed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "a link that belongs to another user can only be planted by root";
    }
    using Job = std::function<bool(World&, const std::string& link, const std::string& saved)>;
    // The job, the name the link takes in the shared folder.
    const std::tuple<const char*, std::string, Job> cases[] = {
        {"ExportIntoTheSharedFolder", "USBUtilityQuillonCfg.ini",
         [](World& world, const std::string& link, const std::string& saved) {
             world.ui.unscriptedAnswer = true;
             return exportConfigFileTo(world.ui, link, saved) == ExportResult::Refused;
         }},
        {"SaveToASettingsFileThere", "USBUtilityCfg.ini",
         [](World& world, const std::string& link, const std::string&) {
             KeypadFields fields;
             return SaveToConfigFile(world.ui, fields, link) == SaveResult::WriteFailed;
         }},
        {"ImportOverASettingsFileThere", "USBUtilityCfg.ini",
         [](World& world, const std::string& link, const std::string& saved) {
             return importConfigFileFrom(world.ui, saved, link).result == ImportResult::CopyFailed;
         }},
    };
    for (const auto& [name, linkName, job] : cases) {
        SCOPED_TRACE(name);
        World world("keys=8", [] {
            testing::WorldOptions options;
            options.openKeypad = true;
            return options;
        }());
        SharedFolder shared(world, linkName);
        ASSERT_EQ(::lchown(shared.link.c_str(), kOtherUser, kOtherUser), 0);
        fs::create_directory(world.folder.path() / "usb");
        std::string saved = world.folder.write("usb/USBUtilityQuillonCfg.ini", kSaved);
        world.forgetSent();
        EXPECT_TRUE(job(world, shared.link, saved));
        EXPECT_EQ(fileBytes(shared.victim), "the victim's own notes\n");
        EXPECT_EQ(world.ui.messages.size(), 1u) << "no question, one message";
        EXPECT_EQ(world.ui.warnings(),
                  std::vector<std::string>{shared.link + " was left as it is: it is a link that "
                                                         "belongs to another user."});
        EXPECT_TRUE(world.changesSent().empty());
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
