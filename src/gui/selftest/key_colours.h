#pragma once

#include <QColor>

class QPushButton;

namespace lumora_usb_encoder {

// The colour F15 to F24 give their pictures on the small keypads: `key` 1 is F15.
QColor functionKeyColour(int key);

// The one colour of a key seen on the 12- and 16-key keypads. Their pictures follow the table
// in use, which may type anything and repeat a code, so a colour says "seen" and the picture's
// number says which key; a strong green reads apart from the unpressed pictures and the light
// green of a running stage.
QColor seenKeyColour();

// Black or white, whichever reads better on `background`.
QColor textColourOn(const QColor& background);

// Gives a key picture its colour with a legible number and an outline, so that even a white
// picture stands out on a light window; the colour is kept as the property "keyColour" too.
void paintKey(QPushButton* button, const QColor& colour);

}  // namespace lumora_usb_encoder
