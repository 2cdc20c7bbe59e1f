#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "firmware/bsl_library.h"

namespace lumora_usb_encoder {

// The worker the programming runs on, as far as the sequence sees it: where progress goes
// (percent, text; an empty text moves only the bar) and the result it leaves.
struct UpgradeWorker {
    std::function<void(int percent, const std::string& text)> ReportProgress;
    bool Result = false;

    void report(int percent, const std::string& text) const {
        if (ReportProgress) {
            ReportProgress(percent, text);
        }
    }
};

// The texts the sequence sends, from the Firmware items; the RAM loader may come from a file.
struct LoaderResources {
    std::string passwordText;
    std::string ramBslText;
    std::string ramBslVersion;
    std::string forcedBorText;
    // The built-in RAM loader: never sent to a device that is not our simulator.
    bool ramBslSimulatorOnly = true;

    static LoaderResources fromFirmwareItems();
};

// Buffer sizes the texts are copied into before they go to the library.
inline constexpr size_t kConnectionBufferSize = 100;
inline constexpr size_t kPasswordBufferSize = 200;
inline constexpr size_t kRamBslBufferSize = 20000;
inline constexpr size_t kForcedBorBufferSize = 100;

// Copies the text and a closing zero into `buffer`. Our texts are already 8-bit, so nothing is
// narrowed. False, with nothing copied but an empty text, when it does not fit: a cut password
// or loader image must never reach the device.
bool StringToChar(std::string_view text, std::span<char> buffer);

// "0x200" -> "0x0200": zeros after the "0x" up to four digits.
std::string padHexStringValue(const std::string& text);

// "PID=0x0200,VID=0x2047,DEVICEINDEX=0" from the Firmware items.
std::string loaderConnectionString();

// Programs a TI-TXT image through the bootstrap loader: password (tolerating the mass erase a
// wrong one causes), RAM loader, version check, erase, transfer, CRC verification, reset.
// Runs on the upgrade worker; talks to the outside only through the worker's progress.
class ProgrammingSequence {
  public:
    ProgrammingSequence(BslLibrary& bsl, LoaderResources resources);

    void CustomSelectedFirmware(const std::string& path, UpgradeWorker& worker);
    bool DownloadStartUp(UpgradeWorker& worker, bool& massErased);
    bool TriggerForcedBOR(UpgradeWorker& worker);

    uint32_t startProgramTime = 0;
    uint32_t stopProgramTime = 0;
    uint32_t totalProgramTime = 0;  // whole seconds
    const char* bslVersion = nullptr;

  private:
    bool openLoader(UpgradeWorker& worker, int percent);
    // Ends a failed start-up: result false, the line logged.
    bool startUpFailed(UpgradeWorker& worker, int percent, const std::string& text);
    bool sendPasswords(UpgradeWorker& worker, bool& massErased);
    void sendRamLoader(UpgradeWorker& worker);
    bool ramLoaderVersionMatches();

    BslLibrary& bsl_;
    LoaderResources resources_;
    std::string connection_;
};

}  // namespace lumora_usb_encoder
