// Draws the splash and about pictures into the folder given: draw_pictures src/app/pictures
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

// A small keypad seen from above: body, two rows of four keys, the LED.
void drawKeypad(QPainter& p, const QRectF& body) {
    p.setPen(QPen(QColor("#1d2b36"), body.width() / 80));
    QLinearGradient shade(body.topLeft(), body.bottomLeft());
    shade.setColorAt(0, QColor("#3c5566"));
    shade.setColorAt(1, QColor("#22323d"));
    p.setBrush(shade);
    p.drawRoundedRect(body, body.width() / 10, body.width() / 10);
    const qreal gap = body.width() / 18;
    const qreal key = (body.width() - 5 * gap) / 4;
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 4; ++col) {
            QRectF cap(body.left() + gap + col * (key + gap),
                       body.top() + body.height() * 0.3 + row * (key + gap), key, key);
            p.setBrush(QColor("#eef3f6"));
            p.drawRoundedRect(cap, key / 5, key / 5);
        }
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#7df9ff"));
    qreal led = body.width() / 20;
    p.drawEllipse(QPointF(body.right() - 2 * led, body.top() + 2 * led), led, led);
}

QImage splash() {
    QImage image(480, 300, QImage::Format_ARGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, QColor("#e0ffff"));
    sky.setColorAt(1, QColor("#9fd3df"));
    p.fillRect(image.rect(), sky);
    drawKeypad(p, QRectF(40, 70, 200, 150));
    p.setPen(QColor("#1d2b36"));
    QFont title("DejaVu Sans", 26, QFont::Bold);
    p.setFont(title);
    p.drawText(QRectF(250, 90, 220, 50), Qt::AlignLeft | Qt::AlignVCenter, "Vorla");
    p.setFont(QFont("DejaVu Sans", 20));
    p.drawText(QRectF(250, 135, 220, 40), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8("Quillon™"));
    p.setFont(QFont("DejaVu Sans", 11));
    p.drawText(QRectF(250, 175, 220, 30), Qt::AlignLeft | Qt::AlignVCenter,
               "Configuration Utility");
    return image;
}

QImage aboutLogo() {
    QImage image(96, 96, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawKeypad(p, QRectF(4, 14, 88, 68));
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QDir folder(argc > 1 ? argv[1] : ".");
    bool saved = splash().save(folder.filePath("vorla_splash.png")) &&
                 aboutLogo().save(folder.filePath("about_logo.png"));
    return saved ? 0 : 1;
}
