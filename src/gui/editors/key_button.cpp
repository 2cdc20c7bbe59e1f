#include "gui/editors/key_button.h"

#include <QPainter>

namespace lumora_usb_encoder {

void setButtonBackColour(QPushButton& button, const QColor& colour) {
    QPalette palette = button.palette();
    palette.setColor(QPalette::Button, colour);
    button.setPalette(palette);
}

void KeyButton::setBackdrop(const QPixmap& backdrop) {
    backdrop_ = backdrop;
    update();
}

void KeyButton::setBackColour(const QColor& colour) {
    setButtonBackColour(*this, colour);
    update();
}

void KeyButton::paintEvent(QPaintEvent* event) {
    if (backdrop_.isNull()) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QRect area = rect();
    painter.drawPixmap(area, backdrop_);
    QColor colour = backColour();
    if (colour.alpha() > 0) {
        QColor tint = colour;
        tint.setAlpha(isDown() ? 170 : 110);
        painter.fillRect(area, tint);
        painter.setPen(QPen(colour, 2));
        painter.drawRect(area.adjusted(1, 1, -1, -1));
    }
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(area.adjusted(4, 4, -5, -5));
    }
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(Qt::black);
    painter.drawText(area, Qt::AlignCenter, text());
}

}  // namespace lumora_usb_encoder
