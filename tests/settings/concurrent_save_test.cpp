// The settings file under kills and a second writer: always one whole snapshot, never a mix,
// never a temporary file left behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "common/printing.h"
#include "common/recording_ui.h"
#include "common/temp_folder.h"
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
    return read == snapshot(1) ? 1 : read == snapshot(2) ? 2 : 0;
}

// A forked child that saves snapshot `n` (or both in turn for 0) until killed, or until the test
// itself dies: a writer left behind by a killed test would otherwise spin for ever on a folder
// that is gone.
pid_t startWriter(const std::string& file, uint8_t n) {
    const pid_t parent = ::getpid();
    pid_t child = ::fork();
    if (child != 0) {
        return child;
    }
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    for (uint8_t turn = 0; ::getppid() == parent; ++turn) {
        testing::RecordingUi ui;  // one per save, so failures cannot pile up
        (void)storeSettingsSnapshot(ui, snapshot(n == 0 ? static_cast<uint8_t>(1 + turn % 2) : n),
                                    file);
    }
    ::_exit(0);
}

void stopWriter(pid_t writer) {
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
}

TEST(ConcurrentSave, AKilledSaveLeavesOneWholeSnapshotAndNoTemporaryFile) {
    testing::TempFolder folder;
    std::string file = folder.file("USBUtilityCfg.ini");
    ASSERT_TRUE(ensureSettingsFile(file));
    testing::RecordingUi ui;
    ASSERT_TRUE(storeSettingsSnapshot(ui, snapshot(1), file));
    std::mt19937 random(7);
    for (int run = 0; run < 1000; ++run) {
        pid_t writer = startWriter(file, 0);
        ASSERT_GE(writer, 0);
        ::usleep(static_cast<useconds_t>(random() % 3000));
        stopWriter(writer);
        ASSERT_NE(snapshotIn(file), 0) << "run " << run;
        if (run % 100 == 99) {
            // The next save clears whatever the killed ones left.
            ASSERT_TRUE(storeSettingsSnapshot(ui, snapshot(1), file));
            auto stray = std::count_if(fs::directory_iterator(folder.path()), {}, [](auto& entry) {
                return entry.path().string().find(".tmp-") != std::string::npos;
            });
            ASSERT_EQ(stray, 0) << "run " << run;
        }
    }
}

// Only a killed writer's temporary is cleared: one whose writer runs (here, this process) is its.
TEST(ConcurrentSave, ATemporaryWhoseWriterStillRunsIsLeftToIt) {
    testing::TempFolder folder;
    std::string file = folder.file("USBUtilityCfg.ini");
    ASSERT_TRUE(ensureSettingsFile(file));
    std::string live =
        folder.write("USBUtilityCfg.ini.tmp-" + std::to_string(::getpid()) + "-4000000", "half");
    testing::RecordingUi ui;
    ASSERT_TRUE(storeSettingsSnapshot(ui, snapshot(1), file));
    EXPECT_TRUE(fs::exists(live));
}

TEST(ConcurrentSave, TwoWritersAtOnceNeverMix) {
    testing::TempFolder folder;
    std::string file = folder.file("USBUtilityCfg.ini");
    ASSERT_TRUE(ensureSettingsFile(file));
    const pid_t writers[] = {startWriter(file, 1), startWriter(file, 2)};
    ASSERT_GT(writers[0], 0);
    ASSERT_GT(writers[1], 0);
    for (int look = 0; look < 200; ++look) {
        ::usleep(1000);
        EXPECT_TRUE(snapshotIn(file) != 0 ||
                    CIniFile::GetValue("FirstUp", "appSettings", file + ".look").empty())
            << "look " << look;
    }
    stopWriter(writers[0]);
    stopWriter(writers[1]);
    EXPECT_NE(snapshotIn(file), 0);
}

}  // namespace
}  // namespace lumora_usb_encoder
