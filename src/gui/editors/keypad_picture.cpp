#include "gui/editors/keypad_picture.h"

#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QPainter>

#include "gui/editors/key_button.h"
#include "gui/editors/keypad_picture_layout.h"

// Resources in a static library are only linked in when something asks for them.
static void initialiseKeypadPictures() {
    Q_INIT_RESOURCE(keypad_pictures);
}

namespace lumora_usb_encoder {

namespace {

QImage readImage(const QString& path) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

}  // namespace

QPixmap loadKeypadPicture(const QString& fileName) {
    QImage image = readImage(QDir::current().filePath(fileName));
    if (image.isNull()) {
        initialiseKeypadPictures();
        image = readImage(":/layouts/" + fileName);
    }
    if (image.isNull()) {
        // Not even the built-in one: a plain plate still lets the keys be edited.
        image = QImage(kKeypadPictureWidth, kKeypadPictureHeight, QImage::Format_RGB32);
        image.fill(QColor(60, 64, 72));
    }
    return QPixmap::fromImage(image.scaled(kKeypadPictureWidth, kKeypadPictureHeight,
                                           Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void EmbedButtonInParvoPicture(KeyButton& button, QLabel& picture) {
    if (button.parentWidget() != &picture) {
        QPoint onScreen =
            button.parentWidget() ? button.parentWidget()->mapToGlobal(button.pos()) : button.pos();
        QPoint inPicture = picture.mapFromGlobal(onScreen);
        button.setParent(&picture);
        button.move(inPicture);
    }
    QPixmap cutOut(button.size());
    cutOut.fill(Qt::transparent);
    {
        QPainter painter(&cutOut);
        painter.drawPixmap(cutOut.rect(), picture.pixmap(), button.geometry());
    }
    button.setBackdrop(cutOut);
}

}  // namespace lumora_usb_encoder
