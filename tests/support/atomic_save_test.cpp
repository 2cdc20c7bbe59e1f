#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "support/file_io.h"
#include "support/ini_file.h"
#include "temp_folder.h"

namespace lumora_usb_encoder {
namespace {

using testing::fileBytes;
using testing::TempFolder;
namespace fs = std::filesystem;

const std::vector<CIniFile::Record> kNewContent{{"", ' ', "appSettings", "", ""},
                                                {"", ' ', "appSettings", "FirstUp", "Yes"}};
const std::string kOldText = " [appSettings]\r\n FirstUp=\r\n";

// Runs `job` in a child process and returns its exit status (or -1 when it died otherwise), so
// that a test can change what the whole process may do without touching the test runner.
template <typename Job>
int inChild(Job job) {
    pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(job());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct FailingSave {
    const char* name;
    // Prepares the folder; returns the target to save to.
    std::function<std::string(TempFolder&)> prepare;
    // Runs the save, in a child when the failure needs the process's limits changed.
    std::function<bool(const std::string& target)> save;
};

bool plainSave(const std::string& target) {
    return CIniFile::Save(target, kNewContent);
}

// A disk that fills up halfway through the file: the size limit makes the write fail the same way.
bool saveOnFullDisk(const std::string& target) {
    return inChild([&] {
               ::signal(SIGXFSZ, SIG_IGN);
               rlimit limit{8, 8};
               ::setrlimit(RLIMIT_FSIZE, &limit);
               return CIniFile::Save(target, kNewContent) ? 1 : 0;
           }) == 1;
}

// A folder the saving user may not write to. Tests run as root, who may write anywhere, so the
// child gives up root first.
bool saveIntoReadOnlyFolder(const std::string& target) {
    return inChild([&] {
               if (::geteuid() == 0 && ::setuid(65534) != 0) {
                   return 2;
               }
               return CIniFile::Save(target, kNewContent) ? 1 : 0;
           }) == 1;
}

TEST(AtomicSave, FailedWriteLeavesTheOldFileAndNoTemporary) {
    const FailingSave cases[] = {
        {"FolderMissing", [](TempFolder& f) { return f.file("gone/s.ini"); }, plainSave},
        {"TargetIsAFolder",
         [](TempFolder& f) {
             fs::create_directory(f.path() / "s.ini");
             return f.file("s.ini");
         },
         plainSave},
        {"DiskFullHalfway", [](TempFolder& f) { return f.write("s.ini", kOldText); },
         saveOnFullDisk},
        {"ReadOnlyFolder",
         [](TempFolder& f) {
             std::string target = f.write("s.ini", kOldText);
             fs::permissions(f.path(), fs::perms::owner_write | fs::perms::group_write,
                             fs::perm_options::remove);
             return target;
         },
         saveIntoReadOnlyFolder},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        std::string target = c.prepare(folder);
        std::string before = fileBytes(target);
        size_t entries = folder.entryCount();
        EXPECT_FALSE(c.save(target)) << c.name;
        EXPECT_EQ(fileBytes(target), before) << c.name;
        fs::permissions(folder.path(), fs::perms::owner_all, fs::perm_options::add);
        EXPECT_EQ(folder.entryCount(), entries) << c.name << ": a temporary file was left behind";
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
