// The settings file under kills and a second writer: always one whole snapshot, never a mix,
// never a temporary file left behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "../support/recording_ui.h"
#include "../support/temp_folder.h"
#include "settings/config_files.h"
#include "settings/settings_file.h"
#include "settings/settings_ini.h"
#include "support/ini_file.h"

namespace lumora_usb_encoder {
namespace {

namespace fs = std::filesystem;

KeypadSettings snapshot(uint8_t n) {
    KeypadSettings s;
    s.ledBrightness = n;
    s.buzzerPeriod = static_cast<uint8_t>(n + 1);
    s.keypadType = 2;
    s.options = n;
    s.serialNumber = n == 1 ? "QK0000000001" : "QK0000000002";
    s.codeTable.assign(20, n);
    return s;
}

// Which snapshot the file holds: 1 or 2, or 0 for a file that is neither whole.
int snapshotIn(const std::string& file) {
    // One read of the file: looking up key by key would read several versions of it.
    std::string copy = file + ".look";
    fs::copy_file(file, copy, fs::copy_options::overwrite_existing);
    std::string problem;
    auto read = settingsFromIni(
        [&](const char* key) { return CIniFile::GetValue(key, "appSettings", copy); },
        TableNeed::Always, problem);
    for (uint8_t n : {uint8_t{1}, uint8_t{2}}) {
        if (read == snapshot(n)) {
            return n;
        }
    }
    return 0;
}

// Runs in a forked child until the test kills it, or until the test itself dies: a writer left
// behind by a killed test would otherwise spin for ever on a folder that is gone.
[[noreturn]] void saveForever(const std::string& file, uint8_t n, pid_t parent) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) {
        ::_exit(0);
    }
    for (uint8_t turn = 0;; ++turn) {
        testing::RecordingUi ui;  // one per save, so failures cannot pile up
        (void)storeSettingsSnapshot(ui, snapshot(n == 0 ? static_cast<uint8_t>(1 + turn % 2) : n),
                                    file);
    }
}

bool strayTemporaries(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().find(".tmp-") != std::string::npos) {
            return true;
        }
    }
    return false;
}

TEST(ConcurrentSave, AKilledSaveLeavesOneWholeSnapshotAndNoTemporaryFile) {
    testing::TempFolder folder;
    std::string file = folder.file("USBUtilityCfg.ini");
    ASSERT_TRUE(ensureSettingsFile(file));
    testing::RecordingUi ui;
    ASSERT_TRUE(storeSettingsSnapshot(ui, snapshot(1), file));
    std::mt19937 random(7);
    const pid_t parent = ::getpid();
    for (int run = 0; run < 1000; ++run) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            saveForever(file, 0, parent);
        }
        ::usleep(static_cast<useconds_t>(random() % 3000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ASSERT_NE(snapshotIn(file), 0) << "run " << run;
        if (run % 100 == 99) {
            // The next save clears whatever the killed ones left.
            ASSERT_TRUE(storeSettingsSnapshot(ui, snapshot(1), file));
            ASSERT_FALSE(strayTemporaries(folder.path())) << "run " << run;
        }
    }
}

TEST(ConcurrentSave, TwoWritersAtOnceNeverMix) {
    testing::TempFolder folder;
    std::string file = folder.file("USBUtilityCfg.ini");
    ASSERT_TRUE(ensureSettingsFile(file));
    pid_t writers[2];
    const pid_t parent = ::getpid();
    for (uint8_t n : {uint8_t{1}, uint8_t{2}}) {
        writers[n - 1] = ::fork();
        ASSERT_GE(writers[n - 1], 0);
        if (writers[n - 1] == 0) {
            saveForever(file, n, parent);
        }
    }
    for (int look = 0; look < 200; ++look) {
        ::usleep(1000);
        int held = snapshotIn(file);
        EXPECT_TRUE(held != 0 ||
                    CIniFile::GetValue("FirstUp", "appSettings", file + ".look").empty())
            << "look " << look;
    }
    for (pid_t writer : writers) {
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);
    }
    EXPECT_NE(snapshotIn(file), 0);
}

}  // namespace
}  // namespace lumora_usb_encoder
