#pragma once

#include <QColor>

namespace lumora_usb_encoder {

// The key buttons' colours say what the user is doing with each key.
inline QColor unselectedColour() {
    return QColor(255, 0, 0);  // Red
}
inline QColor selectedColour() {
    return QColor(255, 165, 0);  // Orange
}
inline QColor assignedColour() {
    return QColor(0, 128, 0);  // Green
}
inline QColor jackInColour() {
    return QColor(255, 0, 255);  // Fuchsia
}
inline QColor jackOutColour() {
    return QColor(128, 128, 128);  // Gray
}
inline QColor jackBoxColour() {
    return QColor(192, 255, 255);
}

}  // namespace lumora_usb_encoder
