#include "firmware/programming_sequence.h"

#include <tuple>

#include "firmware/firmware_resources.h"
#include "firmware/image_verification.h"
#include "support/clock.h"

namespace lumora_usb_encoder {

namespace {

constexpr const char* kUnplugged = "USB device was unplugged!\r\n";
constexpr const char* kDeviceLost =
    "The loader device was lost during the transfer; the image could not be verified. "
    "Reconnect the keypad and run the upgrade again: it starts from the loader.\r\n";
constexpr uint32_t kMassEraseWaitMs = 2000;
constexpr uint32_t kRamLoaderStartWaitMs = 1000;
constexpr uint32_t kResetVectorSegment = 0xFFFF;

}  // namespace

LoaderResources LoaderResources::fromFirmwareItems() {
    return {Firmware::item("password.Text").value_or(""),
            Firmware::item("RAM_BSL.Text").value_or(""),
            Firmware::item("RAM_BSL_VERSION").value_or(""),
            Firmware::item("Forced_BOR.Text").value_or("")};
}

std::optional<std::string> oversizedLoaderText(std::string_view connection,
                                               const LoaderResources& resources) {
    const std::tuple<const char*, std::string_view, size_t> texts[] = {
        {"connection string", connection, kConnectionBufferSize},
        {"password.Text", resources.passwordText, kPasswordBufferSize},
        {"RAM_BSL.Text", resources.ramBslText, kRamBslBufferSize},
        {"Forced_BOR.Text", resources.forcedBorText, kForcedBorBufferSize},
    };
    for (const auto& [name, text, buffer] : texts) {
        if (text.size() >= buffer) {
            return std::string("Loader text too long: ") + name + " has " +
                   std::to_string(text.size()) + " bytes, at most " + std::to_string(buffer - 1) +
                   " fit\r\n";
        }
    }
    return std::nullopt;
}

std::string padHexStringValue(const std::string& text) {
    std::string padded = text;
    size_t length = text.size();
    const char* zeros = length < 4 ? "000" : length == 4 ? "00" : length == 5 ? "0" : "";
    padded.insert(std::min<size_t>(2, padded.size()), zeros);
    return padded;
}

std::string loaderConnectionString() {
    return "PID=" + padHexStringValue(Firmware::item("PID").value_or("")) +
           ",VID=" + padHexStringValue(Firmware::item("VID").value_or("")) + ",DEVICEINDEX=0";
}

ProgrammingSequence::ProgrammingSequence(BslLibrary& bsl, LoaderResources resources)
    : bsl_(bsl), resources_(std::move(resources)), connection_(loaderConnectionString()) {}

bool ProgrammingSequence::startUpFailed(UpgradeWorker& worker, int percent,
                                        const std::string& text) {
    worker.report(percent, text);
    worker.Result = false;
    return false;
}

bool ProgrammingSequence::openLoader(UpgradeWorker& worker, int percent) {
    bsl_.BSL_setFamily(kFamilyF5xx);
    bsl_.BSL_setCom(kComUsb);
    // Any other failure to open means there is nothing we can talk to, whatever the code says.
    uint8_t opened = bsl_.BSL_initialize_BSL(connection_);
    if (opened == kBslAccessDenied) {
        return startUpFailed(worker, percent, bsl_.lastError() + "\r\n");
    }
    if (opened != 0) {
        return startUpFailed(worker, percent, kUnplugged);
    }
    return true;
}

bool ProgrammingSequence::sendPasswords(UpgradeWorker& worker, bool& massErased) {
    DataBlock_ password = bsl_.BSL_readTI_Text(resources_.passwordText, 32);
    DataBlock_ defaultPassword = bsl_.BSL_getDefaultPass();
    worker.report(5, "");
    if (bsl_.BSL_RX_Password(password) != 0) {
        massErased = true;
        // Too late to stop: the flash is gone already. Going on to program it is the way back.
        (void)flashMayChange(worker, false);
        worker.report(5, "Mass erase occured!\r\n");
        Sleep(kMassEraseWaitMs);
        if (bsl_.BSL_RX_Password(defaultPassword) != 0) {
            return startUpFailed(worker, 10, "Password FAILED!\r\n");
        }
    }
    worker.report(10, "Password Sent Successfully\r\n");
    return true;
}

void ProgrammingSequence::sendRamLoader(UpgradeWorker& worker) {
    const std::string& version = resources_.ramBslVersion;
    worker.report(20, "Sending RAM BSL v" + version + "\r\n");
    // Our own RAM loader would not run on the hardware's part; without it the version check
    // below fails the start-up, which is the right outcome there.
    if (!resources_.ramBslSimulatorOnly || bsl_.deviceIsSimulated()) {
        // Neither result tells anything: the version check after the restart does.
        (void)bsl_.BSL_RX_TXT(resources_.ramBslText, kSendFast);
        (void)bsl_.BSL_LoadPC(kRamBslEntry);
    }
    worker.report(30, "Done RAM BSL v" + version + "\r\n");
    bsl_.BSL_close_BSL();
}

bool ProgrammingSequence::ramLoaderVersionMatches() {
    bslVersion = bsl_.BSL_TX_BSL_Version_String();
    std::string text = bslVersion != nullptr ? bslVersion : "ERROR";
    if (text == "ERROR" || text.size() < 35) {
        return false;
    }
    std::string formed =
        "00." + text.substr(16, 2) + "." + text.substr(25, 2) + "." + text.substr(33, 2);
    return formed == resources_.ramBslVersion;
}

bool ProgrammingSequence::DownloadStartUp(UpgradeWorker& worker, bool& massErased) {
    if (!openLoader(worker, 0) || !sendPasswords(worker, massErased)) {
        return false;
    }
    sendRamLoader(worker);
    worker.report(35, "");
    Sleep(kRamLoaderStartWaitMs);
    worker.report(40, "");
    Sleep(kRamLoaderStartWaitMs);
    worker.report(45, "");
    Sleep(kRamLoaderStartWaitMs);
    startProgramTime = GetTickCount();
    if (!openLoader(worker, 50)) {
        return false;
    }
    DataBlock_ password =
        massErased ? bsl_.BSL_getDefaultPass() : bsl_.BSL_readTI_Text(resources_.passwordText, 32);
    uint8_t passwordResult = bsl_.BSL_RX_Password(password);
    if (!ramLoaderVersionMatches()) {
        return startUpFailed(worker, 50, "Failed to read data from RAM BSL\r\n");
    }
    if (passwordResult != 0) {
        return startUpFailed(worker, 50, "Password FAILED after sending RAM BSL!\r\n");
    }
    if (!flashMayChange(worker, true)) {
        return false;
    }
    if (bsl_.BSL_eraseSegment(kResetVectorSegment) != 0) {
        worker.report(50, "Failed to erase reset vector\r\n");
    }
    return true;
}

void ProgrammingSequence::CustomSelectedFirmware(const std::string& path, UpgradeWorker& worker) {
    // Checked before the first report goes out: a cut password or loader must never reach the
    // part, and stopping half-way would leave it in its loader.
    if (auto problem = oversizedLoaderText(connection_, resources_)) {
        worker.report(0, *problem);
        worker.Result = false;
        return;
    }
    bool massErased = false;
    if (!DownloadStartUp(worker, massErased)) {
        bsl_.BSL_close_BSL();
        if (flashChangeRefused_) {
            return;  // nothing was erased; a second start-up would be refused the same way
        }
        worker.report(50, "Unsuccessful in starting the BSL. Restarting. \r\n");
        if (!DownloadStartUp(worker, massErased)) {
            worker.Result = false;
            return;
        }
    }
    if (!massErased) {
        worker.report(60, "Erasing memory segments \r\n");
        // The erases and the transfer are judged together by the verification below: a
        // segment left unerased or a block lost shows there as a mismatch.
        (void)EraseDataSegment_File(bsl_, path);
    } else {
        (void)EraseInformationSegments_File(bsl_, path);
    }
    worker.report(70, "Sending " + path + "\r\n");
    (void)bsl_.BSL_RX_TXT_File(path, kSendFast);
    worker.report(75, "Firmware Sent\r\n");
    worker.report(80, "Verifying memory\r\n");
    if (CRC_Check_File(bsl_, path) != 0) {
        // A device that went away says nothing about the image: the log must not blame it.
        worker.report(85, bsl_.deviceLost() ? kDeviceLost : "Memory verification error\r\n");
        worker.Result = false;
        return;
    }
    worker.report(85, "Memory successfully verified\r\n");
    stopProgramTime = GetTickCount();
    totalProgramTime = (stopProgramTime - startProgramTime) / 1000;
    worker.report(90, "Total programming time is " + std::to_string(totalProgramTime) + "s \r\n");
    // The image is in and verified; a reset that did not go out leaves the part in its loader
    // until it is replugged, which starts the new firmware just the same.
    (void)TriggerForcedBOR(worker);
    worker.report(100, "Done!");
    worker.Result = true;
}

bool ProgrammingSequence::flashMayChange(UpgradeWorker& worker, bool stoppable) {
    if (flashChangeHeard_ || !worker.BeforeFlashChange) {
        return true;
    }
    flashChangeHeard_ = true;
    auto stop = worker.BeforeFlashChange();
    if (!stop || !stoppable) {
        return true;
    }
    flashChangeRefused_ = true;
    return startUpFailed(worker, 50, *stop);
}

bool ProgrammingSequence::TriggerForcedBOR(UpgradeWorker& worker) {
    worker.report(90, "Resetting Device...\r\nStarting application\r\n");
    if (bsl_.BSL_RX_TXT(resources_.forcedBorText, kSendFast) != 0) {
        return false;
    }
    // This loader version can miss the first request, so it goes twice; the part is usually
    // gone by then and the second send fails harmlessly.
    if (resources_.ramBslVersion.find("00.06.05.34") != std::string::npos) {
        (void)bsl_.BSL_RX_TXT(resources_.forcedBorText, kSendFast);
    }
    return true;
}

}  // namespace lumora_usb_encoder
