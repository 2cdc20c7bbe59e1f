#include "firmware/image_check.h"

#include <cstdio>

#include "firmware/firmware_resources.h"
#include "firmware/flash_layout.h"
#include "firmware/programming_sequence.h"
#include "support/file_io.h"

namespace lumora_usb_encoder {

namespace {

constexpr uint32_t kRamStart = 0x1C00;
constexpr uint32_t kRamEnd = 0x4400;

std::string hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

// The byte at `address`, if the image holds it.
const uint8_t* byteAt(const TiTxtImage& image, uint32_t address) {
    for (const auto& run : image.runs) {
        if (address >= run.address && address < run.end()) {
            return &run.bytes[address - run.address];
        }
    }
    return nullptr;
}

bool parse(const std::string& text, TiTxtImage& image, std::string& problem) {
    TiTxtError error;
    if (!parseTiTxt(text, image, error)) {
        problem = error.text();
        return false;
    }
    return true;
}

// The ROM loader starts whatever it was given at the entry point: a cut or stray file would
// leave the part in a loader that cannot program it. A RAM loader of this version fills its
// layout, and nothing else.
bool fillsRamLoaderLayout(const TiTxtImage& image, std::string& problem) {
    size_t inLayout = 0;
    for (const auto& run : image.runs) {
        if (run.address < kRamBslStart || run.end() > kRamBslEnd) {
            problem = "RAM loader bytes at " + hex(run.address) + " lie outside 0x2500-0x2FE9";
            return false;
        }
        bool holdsTheGap = run.address <= kRamBslGap && kRamBslGap < run.end();
        inLayout += run.bytes.size() - (holdsTheGap ? 1 : 0);
    }
    if (inLayout != kRamBslSize) {
        problem = "the RAM loader image holds " + std::to_string(inLayout) + " of the " +
                  std::to_string(kRamBslSize) + " bytes at 0x2500-0x2FE9 a RAM loader has";
        return false;
    }
    return true;
}

}  // namespace

bool checkFirmwareImage(const std::string& path, std::string& problem) {
    auto text = readWholeFile(path);
    if (!text) {
        problem = "cannot read " + path;
        return false;
    }
    TiTxtImage image;
    if (!parse(*text, image, problem)) {
        return false;
    }
    for (const auto& run : image.runs) {
        for (uint32_t a : {run.address, run.end() - 1}) {
            if (!inProgrammableFlash(a)) {
                problem = "bytes at " + hex(a) + " lie outside the keypad's flash";
                return false;
            }
        }
        // A run from information memory into main flash would cross the RAM in between.
        if (run.address < kInfoFlashEnd && run.end() > kInfoFlashEnd) {
            problem = "bytes at " + hex(kInfoFlashEnd) + " lie outside the keypad's flash";
            return false;
        }
    }
    const uint8_t* low = byteAt(image, kResetVectorAddress);
    const uint8_t* high = byteAt(image, kResetVectorAddress + 1);
    if (low == nullptr || high == nullptr) {
        problem = "the image has no reset vector (0xFFFE)";
        return false;
    }
    if (*low == 0xFF && *high == 0xFF) {
        problem = "the image's reset vector (0xFFFE) is blank";
        return false;
    }
    return true;
}

bool checkRamLoaderText(const std::string& text, const std::string& version, std::string& problem) {
    if (text.size() >= kRamBslBufferSize) {
        problem = "the RAM loader text is too long";
        return false;
    }
    TiTxtImage image;
    if (!parse(text, image, problem)) {
        return false;
    }
    for (const auto& run : image.runs) {
        if (run.address < kRamStart || run.end() > kRamEnd) {
            problem = "RAM loader bytes at " + hex(run.address) + " lie outside RAM";
            return false;
        }
    }
    unsigned parts[4] = {};
    if (std::sscanf(version.c_str(), "%2x.%2x.%2x.%2x", &parts[0], &parts[1], &parts[2],
                    &parts[3]) != 4) {
        problem = "bad RAM loader version " + version;
        return false;
    }
    for (uint32_t i = 0; i < 4; ++i) {
        const uint8_t* byte = byteAt(image, kRamBslStart + i);
        if (byte == nullptr || *byte != parts[i]) {
            problem = "the RAM loader image is not version " + version;
            return false;
        }
    }
    return fillsRamLoaderLayout(image, problem);
}

}  // namespace lumora_usb_encoder
