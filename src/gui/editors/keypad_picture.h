#pragma once

#include <QPixmap>
#include <QString>

class QLabel;

namespace lumora_usb_encoder {

class KeyButton;

// The picture of a small keypad: the file of that name in the current directory when it can be
// read, else the picture built into the program; scaled to the picture area either way, so that
// the keys lie under the buttons.
QPixmap loadKeypadPicture(const QString& fileName);

// Lays `button` into `picture` at the place it has now and gives it the part of the picture
// under it as its backdrop.
void EmbedButtonInParvoPicture(KeyButton& button, QLabel& picture);

}  // namespace lumora_usb_encoder
