#include "gui/selftest/usage_keys.h"

#include <Qt>
#include <algorithm>
#include <iterator>

namespace lumora_usb_encoder {

namespace {

struct UsageRange {
    uint8_t first;
    uint8_t last;
    int firstKey;  // cppcheck-suppress unusedStructMember ; read through an iterator
};
constexpr UsageRange kRanges[] = {
    {0x04, 0x1D, Qt::Key_A},           {0x1E, 0x26, Qt::Key_1},
    {0x27, 0x27, Qt::Key_0},           {0x28, 0x28, Qt::Key_Return},
    {0x29, 0x29, Qt::Key_Escape},      {0x2A, 0x2A, Qt::Key_Backspace},
    {0x2B, 0x2B, Qt::Key_Tab},         {0x2C, 0x2C, Qt::Key_Space},
    {0x2D, 0x2D, Qt::Key_Minus},       {0x2E, 0x2E, Qt::Key_Equal},
    {0x2F, 0x2F, Qt::Key_BracketLeft}, {0x30, 0x30, Qt::Key_BracketRight},
    {0x31, 0x31, Qt::Key_Backslash},   {0x33, 0x33, Qt::Key_Semicolon},
    {0x34, 0x34, Qt::Key_Apostrophe},  {0x35, 0x35, Qt::Key_QuoteLeft},
    {0x36, 0x36, Qt::Key_Comma},       {0x37, 0x37, Qt::Key_Period},
    {0x38, 0x38, Qt::Key_Slash},       {0x39, 0x39, Qt::Key_CapsLock},
    {0x3A, 0x45, Qt::Key_F1},          {0x46, 0x46, Qt::Key_Print},
    {0x47, 0x47, Qt::Key_ScrollLock},  {0x48, 0x48, Qt::Key_Pause},
    {0x49, 0x49, Qt::Key_Insert},      {0x4A, 0x4A, Qt::Key_Home},
    {0x4B, 0x4B, Qt::Key_PageUp},      {0x4C, 0x4C, Qt::Key_Delete},
    {0x4D, 0x4D, Qt::Key_End},         {0x4E, 0x4E, Qt::Key_PageDown},
    {0x4F, 0x4F, Qt::Key_Right},       {0x50, 0x50, Qt::Key_Left},
    {0x51, 0x51, Qt::Key_Down},        {0x52, 0x52, Qt::Key_Up},
    {0x53, 0x53, Qt::Key_NumLock},     {0x68, 0x73, Qt::Key_F13},
};

}  // namespace

int qtKeyForUsage(uint8_t usage) {
    const auto* range =
        std::find_if(std::begin(kRanges), std::end(kRanges),
                     [&](const UsageRange& r) { return usage >= r.first && usage <= r.last; });
    return range == std::end(kRanges) ? 0 : range->firstKey + (usage - range->first);
}

std::optional<uint8_t> usageForQtKey(int qtKey) {
    const auto* range = std::find_if(std::begin(kRanges), std::end(kRanges), [&](const auto& r) {
        return qtKey >= r.firstKey && qtKey <= r.firstKey + (r.last - r.first);
    });
    if (range == std::end(kRanges)) {
        return std::nullopt;
    }
    return static_cast<uint8_t>(range->first + (qtKey - range->firstKey));
}

}  // namespace lumora_usb_encoder
