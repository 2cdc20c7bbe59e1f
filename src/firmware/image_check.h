#pragma once

#include <string>

namespace lumora_usb_encoder {

// Reads a keypad image whole and checks it can be programmed: it parses, holds data, every byte
// lies in main flash (0x4400-0x243FF) or information memory, and the reset vector is there and
// not blank. False with `problem` in words for the log; the device is never touched.
bool checkFirmwareImage(const std::string& path, std::string& problem);

// Same for a RAM loader image: it parses, fits the sequence's buffer, lies in RAM, starts with
// the version bytes of `version` ("00.06.05.34") at 0x2500, and fills the loader's layout:
// every byte of 0x2500-0x2FE9 but 0x2575, and none beyond.
bool checkRamLoaderText(const std::string& text, const std::string& version, std::string& problem);

}  // namespace lumora_usb_encoder
