// Draws the small keypads' pictures that the editor embeds (parvo5Way.jpg, parvo6Way.jpg,
// parvo8Way.jpg) into the folder given as the argument. Run it again after changing the key
// places, so that the pictures and the buttons laid over them stay in step.
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <cstdio>

#include "codetable/editor_family.h"
#include "gui/editors/keypad_picture_layout.h"

namespace {

using lumora_usb_encoder::kKeypadPictureHeight;
using lumora_usb_encoder::kKeypadPictureWidth;
using lumora_usb_encoder::kPictureKeyRects;
using lumora_usb_encoder::PictureRect;

QRectF toRect(const PictureRect& r) {
    return QRectF(r.x, r.y, r.width, r.height);
}

void drawHousing(QPainter& p) {
    p.fillRect(0, 0, kKeypadPictureWidth, kKeypadPictureHeight, QColor(236, 240, 244));
    QRectF body(10, 10, kKeypadPictureWidth - 20, kKeypadPictureHeight - 20);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawRoundedRect(body.translated(4, 5), 26, 26);
    QLinearGradient shade(body.topLeft(), body.bottomLeft());
    shade.setColorAt(0, QColor(74, 80, 90));
    shade.setColorAt(1, QColor(40, 44, 52));
    p.setBrush(shade);
    p.setPen(QPen(QColor(24, 26, 30), 2));
    p.drawRoundedRect(body, 26, 26);
    // Status LED and the two jack sockets on the lower edge.
    p.setPen(QPen(QColor(20, 60, 20), 1));
    p.setBrush(QColor(90, 220, 110));
    p.drawEllipse(QPointF(kKeypadPictureWidth / 2.0, 24), 4, 4);
    p.setPen(QPen(QColor(20, 20, 20), 2));
    p.setBrush(QColor(150, 156, 166));
    for (double x : {34.0, kKeypadPictureWidth - 34.0}) {
        p.drawEllipse(QPointF(x, kKeypadPictureHeight - 34.0), 9, 9);
        p.setBrush(QColor(16, 16, 18));
        p.drawEllipse(QPointF(x, kKeypadPictureHeight - 34.0), 4, 4);
        p.setBrush(QColor(150, 156, 166));
    }
}

// The well a key sits in. A keypad without the key has no well there either: its housing is
// plain where the larger keypads have keys.
void drawWell(QPainter& p, const QRectF& key) {
    QRectF well = key.adjusted(-8, -8 - lumora_usb_encoder::kModifierButtonHeight, 8, 8);
    p.setPen(QPen(QColor(20, 22, 26), 1.5));
    p.setBrush(QColor(30, 33, 39));
    p.drawRoundedRect(well, 12, 12);
}

void drawKeyCap(QPainter& p, const QRectF& key) {
    QLinearGradient cap(key.topLeft(), key.bottomLeft());
    cap.setColorAt(0, QColor(250, 250, 252));
    cap.setColorAt(0.55, QColor(214, 218, 224));
    cap.setColorAt(1, QColor(170, 176, 186));
    p.setPen(QPen(QColor(90, 94, 102), 1.5));
    p.setBrush(cap);
    p.drawRoundedRect(key, 9, 9);
    p.setPen(QPen(QColor(255, 255, 255, 160), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(key.adjusted(4, 3, -4, -key.height() / 2), 6, 6);
}

QImage drawKeypad(uint32_t hiddenKeys) {
    QImage image(kKeypadPictureWidth, kKeypadPictureHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawHousing(p);
    for (size_t i = 0; i < kPictureKeyRects.size(); ++i) {
        if ((hiddenKeys >> i & 1U) == 0) {
            QRectF key = toRect(kPictureKeyRects[i]);
            drawWell(p, key);
            drawKeyCap(p, key);
        }
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    for (int ways = 0; ways <= 2; ++ways) {
        const auto& variant = lumora_usb_encoder::smallKeypadVariant(ways);
        QString path = QString::fromLocal8Bit(argv[1]) + "/" + variant.pictureFile;
        if (!drawKeypad(variant.hiddenKeys).save(path, "JPG", 92)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
