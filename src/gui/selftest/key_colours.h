#pragma once

#include <QColor>
#include <optional>

class QPushButton;

namespace lumora_usb_encoder {

// What a key of the test does to the key pictures: F15 to F24 each colour one button, the same
// on every keypad.
struct KeyMark {
    int button = 0;  // 1-16
    QColor colour;
};
std::optional<KeyMark> keyMark(int qtKey);

// Gives a key picture its colour; the colour is kept as the property "keyColour" too.
void paintKey(QPushButton* button, const QColor& colour);

}  // namespace lumora_usb_encoder
