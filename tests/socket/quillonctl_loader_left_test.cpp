// quillonctl meeting a keypad that an upgrade left in its loader, served by quillon-sim.
#include <gtest/gtest.h>

#include <filesystem>

#include "../cli/cli_runner.h"
#include "common/settings_text.h"
#include "common/temp_folder.h"
#include "quillon_sim_process.h"
#include "temp_socket.h"

namespace lumora_usb_encoder::testing {
namespace {

namespace fs = std::filesystem;

// The upgrade mode command, as a script would write it: STX, "0C", "00", ETX, check byte, then
// zeros to the report's 64 bytes.
const std::string kUpgradeModeReport = "3f4002304330300372" + std::string(110, '0');

// A keypad an upgrade left in its loader is not connected as a keypad; status says where it is
// and how to finish, and names the backup that holds its settings.
TEST(QuillonctlExits, StatusFindsAKeypadLeftInItsLoader) {
    std::string socket = tempSocketPath();
    QuillonSimProcess server(socket);
    ASSERT_TRUE(server.ready());
    TempFolder folder;
    fs::create_directories(folder.path() / "cfg");
    folder.write("cfg/UpgradeBackup.ini", savedSettingsText());
    std::string error;
    auto fd = hid::wire::connectUnix(socket, error);
    ASSERT_TRUE(fd.valid()) << error;
    hid::wire::LineReader reader;
    std::string line;
    ASSERT_TRUE(hid::wire::sendLine(fd.get(), "OPEN sim-1-if1", std::nullopt, error));
    ASSERT_EQ(reader.next(fd.get(), line, std::nullopt), hid::wire::LineReader::Status::Line);
    ASSERT_TRUE(hid::wire::sendLine(fd.get(), "WRITE " + line.substr(3) + " " + kUpgradeModeReport,
                                    std::nullopt, error));
    ASSERT_EQ(reader.next(fd.get(), line, std::nullopt), hid::wire::LineReader::Status::Line);
    std::string status = "--hid-socket " + socket + " --settings " +
                         folder.file("cfg/USBUtilityCfg.ini") + " status";
    CliRun run;
    for (int attempt = 0; attempt < 50 && run.err.find("loader") == std::string::npos; ++attempt) {
        run = runQuillonctl(status);  // the loader takes a moment to arrive
    }
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(run.err.find("Vorla Quillon™ not connected.."), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("A keypad is in its loader (2047:0200): 'quillonctl firmware upgrade "
                           "IMAGE' finishes the upgrade from there and writes back the settings "
                           "kept in " +
                           folder.file("cfg/UpgradeBackup.ini") + "."),
              std::string::npos)
        << run.err;
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
