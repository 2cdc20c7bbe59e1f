#pragma once

#include <QPixmap>
#include <QString>

namespace lumora_usb_encoder {

// A picture of the program: a file of that name in the current folder, when there is one, else
// the drawing built into the program.
QPixmap loadPicture(const QString& fileName);

}  // namespace lumora_usb_encoder
