#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "codetable/usage_list.h"

namespace lumora_usb_encoder {

// How a family's key buttons are laid out: a grid with each modifier button left of its key, or
// over the keypad picture with each modifier button above its key.
enum class KeyArrangement { Grid, Picture };

// What tells the three code-table editors apart. Everything else about them is one window.
struct EditorFamily {
    const char* windowName;  // the window's object name
    uint8_t keypadType;      // the customised-table type that opens it
    int keyCount;
    size_t payloadLength;  // key entries, then zeros up to this length
    UsageEdition edition;
    const char* title;
    const char* heading;
    KeyArrangement arrangement;
    int columns;                 // grid columns (grid arrangement)
    const char* failureCaption;  // of "Unable to Load Table.."
    bool resizable;
};

inline constexpr int kMaxEditorKeys = 16;

extern const std::array<EditorFamily, 3> kEditorFamilies;

// The editor for a keypad type; nullptr for the default and alternate tables.
const EditorFamily* editorFamilyForKeypadType(int keypadType);

// The small keypads share one editor; their number-of-ways value picks the picture and the keys
// the keypad does not have.
struct SmallKeypadVariant {
    const char* pictureFile;
    uint32_t hiddenKeys;  // bit n-1: key n and its modifier button are hidden
};
const SmallKeypadVariant& smallKeypadVariant(int noOfWayKeypad);

inline constexpr const char* kSelectCustomTableMessage = "Please select a customise table..";
inline constexpr const char* kStatusFailureMessage = "Load Table-Unable to get device status..";
inline constexpr const char* kApplyFailureMessage = "Unable to Load Table..";
// Asked when an editor closes with edits the keypad was not sent: Apply, Discard or Cancel.
inline constexpr const char* kUnappliedChangesQuestion =
    "The code table has changes that were not applied.\nApply them to the keypad before closing?";

}  // namespace lumora_usb_encoder
