#include "gui/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace lumora_usb_encoder {

namespace {

struct Script {
    bool scripted = false;
    std::deque<MessageBox::Answer> answers;
    std::vector<MessageBox::Shown> shown;
};

Script& script() {
    static Script instance;
    return instance;
}

QMessageBox::StandardButtons standardButtons(MessageBox::Buttons buttons) {
    switch (buttons) {
        case MessageBox::Buttons::YesNo:
        case MessageBox::Buttons::YesNoDefaultNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageBox::Buttons::ApplyDiscardCancel:
            return QMessageBox::Apply | QMessageBox::Discard | QMessageBox::Cancel;
        case MessageBox::Buttons::Ok:
        case MessageBox::Buttons::Choices:  // choose() makes its own
            break;
    }
    return QMessageBox::Ok;
}

MessageBox::Answer answerFor(int button) {
    switch (button) {
        case QMessageBox::Yes:
            return MessageBox::Answer::Yes;
        case QMessageBox::No:
            return MessageBox::Answer::No;
        case QMessageBox::Apply:
            return MessageBox::Answer::Apply;
        case QMessageBox::Discard:
            return MessageBox::Answer::Discard;
        case QMessageBox::Cancel:
            return MessageBox::Answer::Cancel;
        default:
            return MessageBox::Answer::Ok;
    }
}

}  // namespace

BusyCursorLift::BusyCursorLift() {
    while (QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
        ++lifted_;
    }
}

BusyCursorLift::~BusyCursorLift() {
    for (int i = 0; i < lifted_; ++i) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
}

void MessageBox::warn(QWidget* parent, const QString& text, const QString& caption) {
    show(parent, text + "\n", caption, Icon::Exclamation, Buttons::Ok);
}

bool MessageBox::ask(QWidget* parent, const QString& text, const QString& caption) {
    return show(parent, text, caption, Icon::Question, Buttons::YesNo) == Answer::Yes;
}

bool MessageBox::confirm(QWidget* parent, const QString& text, const QString& caption) {
    return show(parent, text, caption, Icon::Question, Buttons::YesNoDefaultNo) == Answer::Yes;
}

MessageBox::Answer MessageBox::show(QWidget* parent, const QString& text, const QString& caption,
                                    Icon icon, Buttons buttons) {
    BusyCursorLift lift;
    if (script().scripted) {
        script().shown.push_back(
            {text, caption, icon, buttons, QApplication::overrideCursor() != nullptr, {}});
        return scriptedAnswer(buttons);
    }
    QMessageBox box(icon == Icon::Question ? QMessageBox::Question : QMessageBox::Warning, caption,
                    text, standardButtons(buttons), parent);
    if (buttons == Buttons::ApplyDiscardCancel) {
        box.setDefaultButton(QMessageBox::Apply);
        box.setEscapeButton(QMessageBox::Cancel);
    }
    if (buttons == Buttons::YesNoDefaultNo) {
        box.setDefaultButton(QMessageBox::No);
    }
    return answerFor(box.exec());
}

int MessageBox::choose(QWidget* parent, const QString& text, const QString& caption,
                       const QStringList& answers, int escape) {
    BusyCursorLift lift;
    if (script().scripted) {
        script().shown.push_back({text, caption, Icon::Question, Buttons::Choices,
                                  QApplication::overrideCursor() != nullptr, answers});
        Answer answer = scriptedAnswer(Buttons::Choices);
        int index = answer == Answer::Choice1   ? 0
                    : answer == Answer::Choice2 ? 1
                    : answer == Answer::Choice3 ? 2
                                                : escape;
        return index < answers.size() ? index : escape;
    }
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
    QList<QPushButton*> buttons;
    for (const QString& answer : answers) {
        buttons << box.addButton(answer, QMessageBox::AcceptRole);
    }
    if (!buttons.isEmpty()) {
        box.setDefaultButton(buttons.front());
        box.setEscapeButton(buttons.value(escape));
    }
    box.exec();
    int index = static_cast<int>(buttons.indexOf(qobject_cast<QPushButton*>(box.clickedButton())));
    return index >= 0 ? index : escape;
}

void MessageBox::setScripted(bool scripted) {
    script() = Script{};
    script().scripted = scripted;
}

void MessageBox::setNextAnswer(Answer answer) {
    script().answers.push_back(answer);
}

std::vector<MessageBox::Shown> MessageBox::takeShown() {
    return std::exchange(script().shown, {});
}

MessageBox::Answer MessageBox::scriptedAnswer(Buttons buttons) {
    if (buttons == Buttons::Ok) {
        return Answer::Ok;
    }
    if (script().answers.empty()) {
        return buttons == Buttons::ApplyDiscardCancel ? Answer::Cancel : Answer::No;
    }
    Answer answer = script().answers.front();
    script().answers.pop_front();
    return answer;
}

}  // namespace lumora_usb_encoder
