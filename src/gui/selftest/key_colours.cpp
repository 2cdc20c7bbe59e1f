#include "gui/selftest/key_colours.h"

#include <QPushButton>

namespace lumora_usb_encoder {

std::optional<KeyMark> keyMark(int qtKey) {
    static const KeyMark marks[] = {{9, QColor("lightseagreen")}, {10, QColor("orange")},
                                    {2, QColor("blue")},          {6, QColor("yellow")},
                                    {7, QColor("yellow")},        {8, QColor("green")},
                                    {4, QColor("white")},         {5, QColor("white")},
                                    {1, QColor("darkblue")},      {3, QColor("red")}};
    int index = qtKey - Qt::Key_F15;
    if (index < 0 || index >= static_cast<int>(std::size(marks))) {
        return std::nullopt;
    }
    return marks[index];
}

void paintKey(QPushButton* button, const QColor& colour) {
    button->setProperty("keyColour", colour);
    button->setStyleSheet(QString("background-color: %1").arg(colour.name()));
}

}  // namespace lumora_usb_encoder
