#pragma once

#include <QObject>
#include <QVector>

class QAbstractButton;
class QComboBox;

namespace lumora_usb_encoder {

// The editor without a mouse. On the key and modifier buttons the arrows move to the nearest
// button in that direction as it lies on the screen, so the grid and the keypad picture work
// alike. On every button Enter and Return press it as Space does. F4 and Alt+Down open
// whichever list is showing, so a key can be selected and its code picked without a long walk
// through the tab order.
class EditorKeyboard : public QObject {
  public:
    EditorKeyboard(QVector<QAbstractButton*> keyArea, const QVector<QAbstractButton*>& otherButtons,
                   QVector<QComboBox*> lists, QObject* parent);

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QAbstractButton* neighbour(const QAbstractButton& from, int arrow) const;
    bool openShowingList();

    QVector<QAbstractButton*> keyArea_;
    QVector<QComboBox*> lists_;
};

}  // namespace lumora_usb_encoder
