#pragma once

#include <QtTest>
#include <tuple>

#include "gui/message_box.h"

namespace lumora_usb_encoder {

// A shown box compares whole and prints as one line, so a test states all it shows at once.
using Box = MessageBox::Shown;
inline bool operator==(const Box& a, const Box& b) {
    return std::tie(a.text, a.caption, a.icon, a.buttons, a.busyCursor) ==
           std::tie(b.text, b.caption, b.icon, b.buttons, b.busyCursor);
}
inline char* toString(const Box& box) {
    return QTest::toString(QString("%1 | %2 | %3 %4 %5")
                               .arg(box.caption, box.text)
                               .arg(int(box.icon))
                               .arg(int(box.buttons))
                               .arg(box.busyCursor));
}
// Neither with a busy cursor over it.
inline Box warningBox(const QString& text, const QString& caption = "Vorla Quillon™") {
    return {text, caption, MessageBox::Icon::Exclamation, MessageBox::Buttons::Ok, false};
}
inline Box questionBox(const QString& text, const QString& caption,
                       MessageBox::Buttons buttons = MessageBox::Buttons::YesNo) {
    return {text, caption, MessageBox::Icon::Question, buttons, false};
}
inline QList<Box> takeBoxes() {
    auto shown = MessageBox::takeShown();
    return {shown.begin(), shown.end()};
}

}  // namespace lumora_usb_encoder
