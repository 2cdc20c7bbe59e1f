#include "upgrade/ram_loader_check.h"

#include "device/hid_backend.h"
#include "firmware/firmware_resources.h"
#include "firmware/programming_sequence.h"
#include "support/platform_files.h"
#include "upgrade/upgrade_worker.h"

namespace lumora_usb_encoder {

bool ramLoaderAtHand(const std::string& ramBslPath, std::string& problem) {
    auto installed = installedRamLoaderPath();
    bool fromFile = !ramBslPath.empty() || (installed && fileExists(*installed));
    if (fromFile) {
        LoaderResources resources = LoaderResources::fromFirmwareItems();
        return chooseRamLoader({"", ramBslPath}, resources, problem);
    }
    if (hid::backend().simulatedInProcess()) {
        return true;
    }
    problem = "RAM BSL image not found:\r\n" + installed.value_or("(no home folder)") +
              "\r\nThe built-in RAM BSL is for the simulator only: install the vendor's RAM BSL v" +
              kRamBslVersion + " there.\r\n";
    return false;
}

}  // namespace lumora_usb_encoder
