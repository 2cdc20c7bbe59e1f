#include <algorithm>

#include "support/ini_file.h"
#include "support/ini_text.h"

namespace lumora_usb_encoder {

namespace {

using Record = CIniFile::Record;

// One header per section name. A section whose header appears more than once keeps its first
// header, which takes the comments of the others, so that sorting loses none of the user's text.
std::vector<Record> mergedHeaders(const std::vector<Record>& records) {
    std::vector<Record> headers;
    for (const auto& rec : records) {
        if (!rec.Key.empty()) {
            continue;
        }
        auto same =
            std::find_if(headers.begin(), headers.end(), CIniFile::RecordSectionIs{rec.Section});
        if (same == headers.end()) {
            headers.push_back(rec);
        } else {
            same->Comments += rec.Comments;
        }
    }
    return headers;
}

std::vector<Record> sortedKeys(const std::vector<Record>& records, const std::string& section,
                               bool descending) {
    std::vector<Record> keys;
    std::copy_if(records.begin(), records.end(), std::back_inserter(keys),
                 [&](const Record& rec) { return !rec.Key.empty() && rec.Section == section; });
    if (descending) {
        std::stable_sort(keys.begin(), keys.end(), CIniFile::DescendingRecordSort{});
    } else {
        std::stable_sort(keys.begin(), keys.end(), CIniFile::AscendingRecordSort{});
    }
    return keys;
}

}  // namespace

bool CIniFile::Sort(const std::string& FileName, bool Descending) {
    auto document = loadIniDocument(FileName);
    if (!document) {
        return false;
    }
    std::vector<Record> headers = mergedHeaders(document->records);
    if (headers.empty()) {
        return false;
    }
    if (Descending) {
        std::stable_sort(headers.begin(), headers.end(), DescendingSectionSort{});
    } else {
        std::stable_sort(headers.begin(), headers.end(), AscendingSectionSort{});
    }
    std::vector<Record> sorted;
    // Keys above the first header belong to no header; they keep their place at the top.
    if (std::none_of(headers.begin(), headers.end(), RecordSectionIs{""})) {
        sorted = sortedKeys(document->records, "", Descending);
    }
    for (const auto& header : headers) {
        sorted.push_back(header);
        auto keys = sortedKeys(document->records, header.Section, Descending);
        sorted.insert(sorted.end(), keys.begin(), keys.end());
    }
    document->records = std::move(sorted);
    return saveIniDocument(FileName, *document);
}

}  // namespace lumora_usb_encoder
