#include "device/status_record.h"

#include <gtest/gtest.h>

namespace lumora_usb_encoder {
namespace {

std::vector<uint8_t> record(uint8_t type, size_t table, const std::string& version,
                            const std::string& serial = "ABCDEFGHIJKL") {
    std::vector<uint8_t> r = {5, 0, 1, 0x06, 3, type};
    for (size_t i = 0; i < table; ++i) {
        r.push_back(static_cast<uint8_t>(0x80 + i));
    }
    r.insert(r.end(), version.begin(), version.end());
    r.push_back(0);
    r.insert(r.end(), serial.begin(), serial.end());
    return r;
}

TEST(StatusRecord, TableLengthFollowsKeypadType) {
    struct Case {
        uint8_t type;
        size_t table;
    };
    for (auto [type, table] : {Case{1, 20}, Case{4, 24}, Case{7, 32}, Case{200, 32}}) {
        auto bytes = record(type, table, "7.2");
        auto status = decodeStatusRecord(bytes.data(), bytes.size());
        ASSERT_TRUE(status) << int{type};
        EXPECT_EQ(status->codeTable.size(), table);
        EXPECT_EQ(status->firmwareVersion, "7.2");
        EXPECT_EQ(status->serialNumber, "ABCDEFGHIJKL");
        EXPECT_EQ(bytes[6 + table], '7') << "version right after the table";
    }
}

TEST(StatusRecord, RejectsRecordsTooShortForTheirFields) {
    auto full = record(7, 32, "7.2");
    ASSERT_EQ(full.size(), 54u);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> noZero(full.begin(), full.begin() + 41);  // version without its zero
    const Case cases[] = {
        {"header only", std::vector<uint8_t>(full.begin(), full.begin() + 5)},
        {"table cut", std::vector<uint8_t>(full.begin(), full.begin() + 30)},
        {"version without zero", noZero},
        {"serial cut", std::vector<uint8_t>(full.begin(), full.end() - 1)},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(decodeStatusRecord(c.bytes.data(), c.bytes.size())) << c.name;
    }
}

}  // namespace
}  // namespace lumora_usb_encoder
