#include "upgrade/upgrade_worker.h"

#include "device/device_connection.h"
#include "firmware/firmware_resources.h"
#include "firmware/image_check.h"
#include "firmware/loader_protocol.h"
#include "support/file_io.h"
#include "support/platform_files.h"

namespace lumora_usb_encoder {

namespace {

bool loadRamLoaderFile(const std::string& path, LoaderResources& resources, std::string& problem) {
    auto text = readWholeFile(path);
    if (!text) {
        problem = "RAM BSL image not found:\r\n" + path + "\r\n";
        return false;
    }
    std::string why;
    if (!checkRamLoaderText(*text, resources.ramBslVersion, why)) {
        problem = "RAM BSL image rejected: " + path + ": " + why + "\r\n";
        return false;
    }
    resources.ramBslText = *text;
    resources.ramBslSimulatorOnly = false;
    return true;
}

}  // namespace

std::optional<std::string> installedRamLoaderPath() {
    auto folder = localDataFolder();
    if (!folder) {
        return std::nullopt;
    }
    return utf8String(utf8Path(*folder) / "VorlaInterface" /
                      ("RAM_BSL." + std::string(kRamBslVersion) + ".txt"));
}

bool firstLoaderIsSimulated() {
    auto found = hid::backend().enumerate(kLoaderVendorId, kLoaderProductId);
    return !found.empty() && found.front().product == loader::kSimulatedProduct;
}

bool chooseRamLoader(const UpgradeRequest& request, LoaderResources& resources,
                     std::string& problem) {
    if (!request.ramBslPath.empty()) {
        return loadRamLoaderFile(request.ramBslPath, resources, problem);
    }
    auto installed = installedRamLoaderPath();
    if (installed && fileExists(*installed)) {
        return loadRamLoaderFile(*installed, resources, problem);
    }
    resources.ramBslText = builtInRamLoaderText();
    resources.ramBslSimulatorOnly = true;
    if (!firstLoaderIsSimulated()) {
        problem = "RAM BSL image not found:\r\n" + installed.value_or("(no home folder)") +
                  "\r\nThe built-in RAM BSL is for the simulator only: install the vendor's RAM "
                  "BSL v" +
                  resources.ramBslVersion + " there, or name it with --ram-bsl FILE.\r\n";
        return false;
    }
    return true;
}

void runUpgradeWorker(BslLibrary& bsl, const UpgradeRequest& request, UpgradeWorker& worker) {
    worker.Result = false;
    if (request.imagePath.empty()) {
        worker.report(0, "No file specified\r\n");
        return;
    }
    std::string problem;
    if (!checkFirmwareImage(request.imagePath, problem)) {
        worker.report(0, "Firmware image rejected: " + problem + "\r\n");
        return;
    }
    LoaderResources resources = LoaderResources::fromFirmwareItems();
    if (!chooseRamLoader(request, resources, problem)) {
        worker.report(0, problem);
        return;
    }
    ProgrammingSequence sequence(bsl, std::move(resources));
    sequence.CustomSelectedFirmware(request.imagePath, worker);
}

}  // namespace lumora_usb_encoder
