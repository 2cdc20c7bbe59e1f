#include "app/picture_files.h"

#include <QDir>
#include <QFileInfo>

namespace lumora_usb_encoder {

QPixmap loadPicture(const QString& fileName) {
    QString local = QDir::current().filePath(fileName);
    if (QFileInfo(local).isFile()) {
        QPixmap picture(local);
        if (!picture.isNull()) {
            return picture;
        }
    }
    return QPixmap(":/pictures/" + fileName);
}

}  // namespace lumora_usb_encoder
