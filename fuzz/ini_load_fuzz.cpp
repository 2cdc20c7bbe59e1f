// CIniFile::Load on arbitrary file bytes. Besides the sanitizers' checks, every file that loads
// must come back as the same records after a Save and a second Load: a record that changes on
// the way through the file would be a setting that silently changes.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "support/ini_file.h"

using lumora_usb_encoder::CIniFile;

namespace {
std::string scratch(const char* name) {
    return "/tmp/quillon-ini-fuzz-" + std::to_string(::getpid()) + "-" + name;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string input = scratch("in.ini");
    static const std::string output = scratch("out.ini");
    {
        std::ofstream file(input, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::vector<CIniFile::Record> first;
    if (!CIniFile::Load(input, first)) {
        std::abort();  // a readable regular file always loads
    }
    std::vector<CIniFile::Record> second;
    if (!CIniFile::Save(output, first) || !CIniFile::Load(output, second) || second != first) {
        std::abort();
    }
    (void)CIniFile::Content(input);
    (void)CIniFile::GetValue("FirstUp", "appSettings", input);
    ::unlink(input.c_str());
    ::unlink(output.c_str());
    return 0;
}
