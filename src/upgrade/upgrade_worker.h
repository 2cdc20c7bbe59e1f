#pragma once

#include <optional>
#include <string>

#include "firmware/bsl_library.h"
#include "firmware/programming_sequence.h"

namespace lumora_usb_encoder {

// Where the user installs the vendor's RAM loader of the required version for real hardware:
// <local data folder>/VorlaInterface/RAM_BSL.00.06.05.34.txt. nullopt without a home folder.
std::optional<std::string> installedRamLoaderPath();

struct UpgradeRequest {
    std::string imagePath;
    // The RAM loader to send; empty: the installed one, or else the built-in one, which only
    // ever goes to the simulated loader.
    std::string ramBslPath;
};

// Picks the RAM loader for the request. False with the log lines that say why not.
bool chooseRamLoader(const UpgradeRequest& request, LoaderResources& resources,
                     std::string& problem);

// Whether the first loader device on the bus is our simulator's.
bool firstLoaderIsSimulated();

// The upgrade worker's whole job: refuse a missing or bad image and a RAM loader that cannot
// go to this device, all before the device is touched, then program.
void runUpgradeWorker(BslLibrary& bsl, const UpgradeRequest& request, UpgradeWorker& worker);

}  // namespace lumora_usb_encoder
