// Files that other readers and other processes share with us, on every system: a save under a
// reader that holds the file open, the lock between two processes, names beyond ASCII, and
// targets that are no regular file.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <optional>
#include <set>
#include <thread>
#include <tuple>

#include "../cli/cli_runner.h"
#include "common/temp_folder.h"
#include "support/file_io.h"
#include "support/file_lock.h"
#include "support/platform_files.h"

namespace lumora_usb_encoder {
namespace {

using testing::fileBytes;
using testing::runProgram;
using testing::TempFolder;
namespace fs = std::filesystem;

// Windows will not rename over a file that a reader holds without sharing it for deletion, as
// the C++ streams open it; elsewhere the rename goes ahead and the reader keeps the old file.
#ifdef _WIN32
constexpr bool kReplacesAFileHeldOpen = false;
constexpr const char* kNullDevice = "NUL";
#else
constexpr bool kReplacesAFileHeldOpen = true;
constexpr const char* kNullDevice = "/dev/null";
#endif

TEST(AtomicSave, CopesWithAReaderThatHoldsTheFileOpen) {
    // How long the reader keeps the file open after the save starts (none: past the save's
    // end), whether the save replaces it.
    using Case = std::tuple<const char*, std::optional<std::chrono::milliseconds>, bool>;
    const Case cases[] = {
        {"ReaderClosesWhileTheSaveWaits", std::chrono::milliseconds(50), true},
        {"ReaderKeepsItOpen", std::nullopt, kReplacesAFileHeldOpen},
    };
    for (const auto& [name, holdFor, replaced] : cases) {
        TempFolder folder;
        std::string target = folder.write("s.ini", "old");
        auto reader = std::make_unique<std::ifstream>(target, std::ios::binary);
        ASSERT_TRUE(reader->is_open()) << name;
        std::future<void> release;
        if (holdFor) {
            release = std::async(std::launch::async, [&reader, wait = *holdFor] {
                std::this_thread::sleep_for(wait);
                reader->close();
            });
        }
        EXPECT_EQ(writeFileAtomically(target, "new"), replaced) << name;
        if (release.valid()) {
            release.get();
        }
        if (reader->is_open()) {
            std::string seen(std::istreambuf_iterator<char>(*reader), {});
            EXPECT_EQ(seen, "old") << name << ": an open reader sees the file it opened";
            reader.reset();
        }
        EXPECT_EQ(fileBytes(target), replaced ? "new" : "old") << name;
        EXPECT_EQ(folder.entryCount(), 1u) << name << ": a temporary file was left behind";
    }
}

TEST(AtomicSaveTarget, RefusesAFolderAndADevice) {
    TempFolder folder;
    fs::create_directory(folder.path() / "folder.ini");
    for (const std::string& target : {folder.file("folder.ini"), std::string(kNullDevice)}) {
        EXPECT_FALSE(writeFileAtomically(target, "new")) << target;
    }
    EXPECT_TRUE(fs::is_directory(folder.path() / "folder.ini"));
    EXPECT_EQ(folder.entryCount(), 1u) << "no temporary file left behind";
}

// Waits (real time: the holder is another process) for `path` to appear.
bool appears(const std::string& path) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fileExists(path)) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

TEST(FileLock, KeepsTwoProcessesApart) {
    TempFolder folder;
    std::string file = folder.file("USBUtilityCfg.ini");
    auto tryInOther = [&] {
        return runProgram(QUILLON_LOCK_HOLDER_PATH, "try \"" + file + "\"").exitCode;
    };
    // Held here: the other process cannot take it; let go: it can.
    std::optional<FileLock> mine = FileLock::take(file);
    ASSERT_TRUE(mine);
    EXPECT_EQ(tryInOther(), 1) << "taken by the other process while this one holds it";
    mine.reset();
    EXPECT_EQ(tryInOther(), 0) << "not taken by the other process once this one let go";
    // Held by the other process: this one cannot take it until that one ends.
    std::string ready = folder.file("ready");
    std::string releaseFile = folder.file("release");
    auto holder = std::async(std::launch::async, [&] {
        return runProgram(QUILLON_LOCK_HOLDER_PATH,
                          "hold \"" + file + "\" \"" + ready + "\" \"" + releaseFile + "\"");
    });
    ASSERT_TRUE(appears(ready)) << "the other process never held the lock";
    EXPECT_FALSE(FileLock::take(file, std::chrono::milliseconds(100)))
        << "taken here while the other process holds it";
    folder.write("release", "");
    EXPECT_EQ(holder.get().exitCode, 0);
    EXPECT_TRUE(FileLock::take(file, std::chrono::milliseconds(0)))
        << "not taken here once the other process ended";
}

// Names in UTF-8 reach the disk as the same characters, through every file function.
TEST(FileNames, BeyondAsciiReachTheDiskUnchanged) {
    TempFolder folder;
    const std::string base = utf8String(folder.path());
    const std::string nested = base + "/Käse €/日本";
    const std::string file = nested + "/Grüße.ini";
    const std::string copy = nested + "/Kopie ✓.ini";
    ASSERT_TRUE(createFolder(nested));
    ASSERT_TRUE(writeFileAtomically(file, "bytes"));
    EXPECT_TRUE(fileExists(file));
    EXPECT_EQ(readWholeFile(file).value_or("<unread>"), "bytes");
    EXPECT_TRUE(copyFileOverwrite(file, copy));
    EXPECT_TRUE(FileLock::take(file, std::chrono::milliseconds(0)));
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(utf8Path(nested))) {
        names.insert(utf8String(entry.path().filename()));
    }
    const std::set<std::string> expected = {"Grüße.ini", "Grüße.ini.lock", "Kopie ✓.ini"};
    EXPECT_EQ(names, expected);
    EXPECT_TRUE(pathExists(base + "/Käse €"));
}

}  // namespace
}  // namespace lumora_usb_encoder
