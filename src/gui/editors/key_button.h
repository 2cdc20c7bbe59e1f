#pragma once

#include <QPixmap>
#include <QPushButton>

namespace lumora_usb_encoder {

// A key button. Over the keypad picture it shows the part of the picture under it, tinted with
// its back colour so that the editing state stays visible, and its code on top.
class KeyButton : public QPushButton {
    Q_OBJECT

  public:
    using QPushButton::QPushButton;

    void setBackdrop(const QPixmap& backdrop);
    const QPixmap& backdrop() const { return backdrop_; }

    // The back colour; the editor's state colours are read from here.
    void setBackColour(const QColor& colour);
    QColor backColour() const { return palette().color(QPalette::Button); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPixmap backdrop_;
};

// Plain buttons (the modifier buttons) carry their back colour in the palette too.
void setButtonBackColour(QPushButton& button, const QColor& colour);

}  // namespace lumora_usb_encoder
