#include "firmware/programming_sequence.h"

#include <vector>

#include "firmware/firmware_resources.h"
#include "firmware/image_verification.h"
#include "support/clock.h"

namespace lumora_usb_encoder {

namespace {

constexpr const char* kUnplugged = "USB device was unplugged!\r\n";
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

bool StringToChar(std::string_view text, std::span<char> buffer) {
    if (buffer.empty()) {
        return false;
    }
    if (text.size() >= buffer.size()) {
        buffer[0] = '\0';
        return false;
    }
    std::copy(text.begin(), text.end(), buffer.begin());
    buffer[text.size()] = '\0';
    return true;
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
    std::vector<char> connection(kConnectionBufferSize);
    StringToChar(connection_, connection);
    bsl_.BSL_setFamily(kFamilyF5xx);
    bsl_.BSL_setCom(kComUsb);
    // Any other failure to open means there is nothing we can talk to, whatever the code says.
    uint8_t opened = bsl_.BSL_initialize_BSL(connection.data());
    if (opened == kBslAccessDenied) {
        return startUpFailed(worker, percent, bsl_.lastError() + "\r\n");
    }
    if (opened != 0) {
        return startUpFailed(worker, percent, kUnplugged);
    }
    return true;
}

bool ProgrammingSequence::sendPasswords(UpgradeWorker& worker, bool& massErased) {
    std::vector<char> text(kPasswordBufferSize);
    StringToChar(resources_.passwordText, text);
    DataBlock_ password = bsl_.BSL_readTI_Text(text.data(), 32);
    DataBlock_ defaultPassword = bsl_.BSL_getDefaultPass();
    worker.report(5, "");
    if (bsl_.BSL_RX_Password(password) != 0) {
        massErased = true;
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
        std::vector<char> image(kRamBslBufferSize);
        StringToChar(resources_.ramBslText, image);
        // Neither result tells anything: the version check after the restart does.
        (void)bsl_.BSL_RX_TXT(image.data(), kSendFast);
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
    std::vector<char> text(kPasswordBufferSize);
    StringToChar(resources_.passwordText, text);
    DataBlock_ password =
        massErased ? bsl_.BSL_getDefaultPass() : bsl_.BSL_readTI_Text(text.data(), 32);
    uint8_t passwordResult = bsl_.BSL_RX_Password(password);
    if (!ramLoaderVersionMatches()) {
        return startUpFailed(worker, 50, "Failed to read data from RAM BSL\r\n");
    }
    if (passwordResult != 0) {
        return startUpFailed(worker, 50, "Password FAILED after sending RAM BSL!\r\n");
    }
    if (bsl_.BSL_eraseSegment(kResetVectorSegment) != 0) {
        worker.report(50, "Failed to erase reset vector\r\n");
    }
    return true;
}

void ProgrammingSequence::CustomSelectedFirmware(const std::string& path, UpgradeWorker& worker) {
    bool massErased = false;
    if (!DownloadStartUp(worker, massErased)) {
        bsl_.BSL_close_BSL();
        worker.report(50, "Unsuccessful in starting the BSL. Restarting. \r\n");
        if (!DownloadStartUp(worker, massErased)) {
            worker.Result = false;
            return;
        }
    }
    if (!massErased) {
        worker.report(60, "Erasing memory segments \r\n");
        (void)EraseDataSegment_File(bsl_, path.c_str());
    } else {
        (void)EraseInformationSegments_File(bsl_, path.c_str());
    }
    worker.report(70, "Sending " + path + "\r\n");
    (void)bsl_.BSL_RX_TXT_File(path.c_str(), kSendFast);
    worker.report(75, "Firmware Sent\r\n");
    worker.report(80, "Verifying memory\r\n");
    if (CRC_Check_File(bsl_, path.c_str()) != 0) {
        worker.report(85, "Memory verification error\r\n");
        worker.Result = false;
        return;
    }
    worker.report(85, "Memory successfully verified\r\n");
    stopProgramTime = GetTickCount();
    totalProgramTime = (stopProgramTime - startProgramTime) / 1000;
    worker.report(90, "Total programming time is " + std::to_string(totalProgramTime) + "s \r\n");
    (void)TriggerForcedBOR(worker);
    worker.report(100, "Done!");
    worker.Result = true;
}

bool ProgrammingSequence::TriggerForcedBOR(UpgradeWorker& worker) {
    std::vector<char> text(kForcedBorBufferSize);
    StringToChar(resources_.forcedBorText, text);
    worker.report(90, "Resetting Device...\r\nStarting application\r\n");
    if (bsl_.BSL_RX_TXT(text.data(), kSendFast) != 0) {
        return false;
    }
    // This loader version can miss the first request, so it goes twice; the part is usually
    // gone by then and the second send fails harmlessly.
    if (resources_.ramBslVersion.find("00.06.05.34") != std::string::npos) {
        StringToChar(resources_.forcedBorText, text);
        (void)bsl_.BSL_RX_TXT(text.data(), kSendFast);
    }
    return true;
}

}  // namespace lumora_usb_encoder
