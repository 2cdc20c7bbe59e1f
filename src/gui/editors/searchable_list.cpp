#include "gui/editors/searchable_list.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QStyleFactory>
#include <string>
#include <vector>

#include "codetable/usage_speech.h"

namespace lumora_usb_encoder {

namespace {

// Styles that open a list as a menu over the box (Fusion among them) ignore the number of
// visible entries and open a 256-entry list the height of the screen.
class ScrollingListStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ComboBox_Popup) {
            return 0;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// A pause this long starts a new search; longer than the usual type-ahead pause so that a
// text can be typed at any pace.
constexpr qint64 kSearchPauseMs = 1500;

class ListSearch : public QObject {
  public:
    explicit ListSearch(QComboBox& list) : QObject(&list), list_(list), view_(*list.view()) {
        list.installEventFilter(this);
        view_.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // Only the pointers are compared here: events still arrive while the list is destroyed.
        if (watched == &view_ && event->type() == QEvent::Show) {
            typed_.clear();
        }
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Backspace && watched == &view_) {
            typed_.chop(1);
            find();
            return true;
        }
        QString text = key->text();
        bool typing = !text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace() &&
                      (key->modifiers() & ~Qt::ShiftModifier & ~Qt::KeypadModifier) == 0;
        if (!typing) {
            return false;
        }
        if (watched == &list_) {
            list_.showPopup();
        }
        if (!pause_.isValid() || pause_.elapsed() > kSearchPauseMs) {
            typed_.clear();
        }
        pause_.restart();
        typed_ += text;
        if (!find()) {
            typed_.chop(text.size());  // a slip of the finger keeps what was found so far
            QApplication::beep();
        }
        return true;
    }

  private:
    bool find() {
        std::vector<std::string> texts;
        texts.reserve(static_cast<size_t>(list_.count()));
        for (int i = 0; i < list_.count(); ++i) {
            texts.push_back(list_.itemText(i).toStdString());
        }
        std::vector<const char*> labels;
        labels.reserve(texts.size());
        for (const auto& t : texts) {
            labels.push_back(t.c_str());
        }
        auto found = findListEntry(labels, typed_.toStdString());
        if (!found) {
            return typed_.isEmpty();
        }
        QModelIndex index = list_.model()->index(static_cast<int>(*found), list_.modelColumn());
        view_.setCurrentIndex(index);
        view_.scrollTo(index, QAbstractItemView::PositionAtCenter);
        return true;
    }

    QComboBox& list_;
    QAbstractItemView& view_;
    QString typed_;
    QElapsedTimer pause_;
};

}  // namespace

void makeSearchable(QComboBox& list) {
    // On a copy of the application's own style, so the list looks like every other.
    auto* style = new ScrollingListStyle(QStyleFactory::create(QApplication::style()->name()));
    style->setParent(&list);
    list.setStyle(style);
    list.setMaxVisibleItems(20);
    new ListSearch(list);
}

}  // namespace lumora_usb_encoder
