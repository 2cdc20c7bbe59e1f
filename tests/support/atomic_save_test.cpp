#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "common/temp_folder.h"
#include "support/file_io.h"
#include "support/ini_file.h"

namespace lumora_usb_encoder {
namespace {

using testing::fileBytes;
using testing::TempFolder;
namespace fs = std::filesystem;

const std::vector<CIniFile::Record> kNewContent{{"", ' ', "appSettings", "", ""},
                                                {"", ' ', "appSettings", "FirstUp", "Yes"}};
const std::string kOldText = " [appSettings]\r\n FirstUp=\r\n";

// Saves in a child process, so that the save can run under a file size limit (a disk that fills
// up halfway makes the write fail the same way) or without root (tests run as root, who may write
// anywhere) while the test runner keeps its own rights.
bool saveInChild(const std::string& target, rlim_t sizeLimit, bool dropRoot) {
    pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{sizeLimit, sizeLimit};
        bool ready = ::setrlimit(RLIMIT_FSIZE, &limit) == 0 &&
                     (!dropRoot || ::geteuid() != 0 || ::setuid(65534) == 0);
        ::_exit(ready && CIniFile::Save(target, kNewContent) ? 1 : 0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

TEST(AtomicSave, FailedWriteLeavesTheOldFileAndNoTemporary) {
    // How to make the target to save to, the size limit, whether the save runs without root.
    using Case = std::tuple<const char*, std::function<std::string(TempFolder&)>, rlim_t, bool>;
    const Case cases[] = {
        {"FolderMissing", [](TempFolder& f) { return f.file("gone/s.ini"); }, RLIM_INFINITY, false},
        {"TargetIsAFolder",
         [](TempFolder& f) {
             fs::create_directory(f.path() / "s.ini");
             return f.file("s.ini");
         },
         RLIM_INFINITY, false},
        {"DiskFullHalfway", [](TempFolder& f) { return f.write("s.ini", kOldText); }, 8, false},
        {"ReadOnlyFolder",
         [](TempFolder& f) {
             std::string target = f.write("s.ini", kOldText);
             fs::permissions(f.path(), fs::perms::owner_write | fs::perms::group_write,
                             fs::perm_options::remove);
             return target;
         },
         RLIM_INFINITY, true},
    };
    for (const auto& [name, prepare, sizeLimit, dropRoot] : cases) {
        TempFolder folder;
        std::string target = prepare(folder);
        std::string before = fileBytes(target);
        size_t entries = folder.entryCount();
        EXPECT_FALSE(saveInChild(target, sizeLimit, dropRoot)) << name;
        EXPECT_EQ(fileBytes(target), before) << name;
        fs::permissions(folder.path(), fs::perms::owner_all, fs::perm_options::add);
        EXPECT_EQ(folder.entryCount(), entries) << name << ": a temporary file was left behind";
    }
}

// A save never puts a file in place of a pipe or a broken link; it updates the file behind a
// link to one, keeping its permissions.
TEST(AtomicSaveTarget, OnlyARegularFileOrALinkToOneIsReplaced) {
    TempFolder folder;
    ASSERT_EQ(::mkfifo(folder.file("fifo").c_str(), 0600), 0);
    fs::create_symlink(folder.file("nowhere"), folder.file("dangling"));
    fs::create_symlink(folder.file("loop"), folder.file("loop"));
    for (const char* name : {"fifo", "dangling", "loop"}) {
        EXPECT_FALSE(CIniFile::Save(folder.file(name), kNewContent)) << name;
        EXPECT_FALSE(fs::is_regular_file(fs::symlink_status(folder.file(name)))) << name;
    }
    EXPECT_EQ(folder.entryCount(), 3u) << "nothing created, no temporary left";
    std::string real = folder.write("real.ini", kOldText);
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
    std::string link = folder.file("link.ini");
    fs::create_symlink(real, link);
    ASSERT_TRUE(CIniFile::Save(link, kNewContent));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fileBytes(real), " [appSettings]\r\n FirstUp=Yes\r\n");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST(ReadWholeFile, RefusesWhatIsNoRegularFile) {
    TempFolder folder;
    EXPECT_FALSE(readWholeFile(folder.path().string()));
    EXPECT_FALSE(readWholeFile("/dev/zero"));
    EXPECT_FALSE(readWholeFile(folder.file("absent")));
    EXPECT_EQ(readWholeFile(folder.write("f", std::string("a\0b", 3))), std::string("a\0b", 3));
    std::string limit = folder.write("limit", "");
    fs::resize_file(limit, kMaxReadableFileSize);  // sparse: costs no disk
    EXPECT_EQ(readWholeFile(limit).value_or("").size(), kMaxReadableFileSize);
    fs::resize_file(limit, kMaxReadableFileSize + 1);
    EXPECT_FALSE(readWholeFile(limit)) << "one byte over the limit";
}

}  // namespace
}  // namespace lumora_usb_encoder
