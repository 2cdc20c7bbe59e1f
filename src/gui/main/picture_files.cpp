#include "gui/main/picture_files.h"

#include <QDir>
#include <QFileInfo>

// The pictures are linked in from a static library, whose resources register only when asked.
static void registerPictures() {
    Q_INIT_RESOURCE(pictures);
}

namespace lumora_usb_encoder {

QPixmap loadPicture(const QString& fileName) {
    static const bool registered = (registerPictures(), true);
    (void)registered;
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
