#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "firmware/bsl_library.h"

namespace lumora_usb_encoder {

// The worker the programming runs on, as far as the sequence sees it: where progress goes
// (percent, text; an empty text moves only the bar) and the result it leaves.
struct UpgradeWorker {
    std::function<void(int percent, const std::string& text)> ReportProgress;
    // Hears, once, that the keypad's flash is about to change: just before the first erase is
    // sent, or as soon as a refused password tells of the mass erase the loader makes of it
    // (which no host can see coming). Whoever keeps the keypad's settings outside it notes
    // there that they are now the only copy. A text ends the programming before anything is
    // erased, with that text as its log line; nullopt lets it go on.
    std::function<std::optional<std::string>()> BeforeFlashChange;
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

// The loader buffers each text must fit, with its closing zero: a text that size or longer is
// one the hardware's loader tools were never given, so the upgrade stops before it starts.
inline constexpr size_t kConnectionBufferSize = 100;
inline constexpr size_t kPasswordBufferSize = 200;
inline constexpr size_t kRamBslBufferSize = 20000;
inline constexpr size_t kForcedBorBufferSize = 100;

// The log line for the first text (connection, then the resources) that does not fit its
// buffer, or nullopt when all fit.
[[nodiscard]] std::optional<std::string> oversizedLoaderText(std::string_view connection,
                                                             const LoaderResources& resources);

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
    [[nodiscard]] bool DownloadStartUp(UpgradeWorker& worker, bool& massErased);
    [[nodiscard]] bool TriggerForcedBOR(UpgradeWorker& worker);

    uint32_t startProgramTime = 0;
    uint32_t stopProgramTime = 0;
    uint32_t totalProgramTime = 0;  // whole seconds
    const char* bslVersion = nullptr;

  private:
    [[nodiscard]] bool openLoader(UpgradeWorker& worker, int percent);
    // Ends a failed start-up: result false, the line logged.
    bool startUpFailed(UpgradeWorker& worker, int percent, const std::string& text);
    bool sendPasswords(UpgradeWorker& worker, bool& massErased);
    void sendRamLoader(UpgradeWorker& worker);
    bool ramLoaderVersionMatches();
    // The worker's BeforeFlashChange, heard once per programming. `stoppable`: nothing is
    // erased yet, so its text ends the programming here (false).
    bool flashMayChange(UpgradeWorker& worker, bool stoppable);

    BslLibrary& bsl_;
    LoaderResources resources_;
    std::string connection_;
    bool flashChangeHeard_ = false;
    bool flashChangeRefused_ = false;
};

}  // namespace lumora_usb_encoder
