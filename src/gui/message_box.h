#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

class QWidget;

namespace lumora_usb_encoder {

// The one way the program shows a message box. Tests script it: while scripted nothing is shown,
// every box is recorded as it would have looked, and each is answered from the script.
class MessageBox {
  public:
    enum class Icon { Exclamation, Question };
    // Choices: buttons with texts of their own (choose).
    enum class Buttons { Ok, YesNo, YesNoDefaultNo, ApplyDiscardCancel, Choices };
    // Choice1 to Choice3 answer a question of choose with its first, second or third answer.
    enum class Answer { Ok, Yes, No, Apply, Discard, Cancel, Choice1, Choice2, Choice3 };

    // A failure message: the text followed by a line break, OK, the exclamation icon.
    static void warn(QWidget* parent, const QString& text, const QString& caption);
    // A question: the text as given, Yes and No, the question icon. True for Yes.
    static bool ask(QWidget* parent, const QString& text, const QString& caption);
    // The same with No as the default button, for a question whose Yes loses something.
    static bool confirm(QWidget* parent, const QString& text, const QString& caption);

    static Answer show(QWidget* parent, const QString& text, const QString& caption, Icon icon,
                       Buttons buttons);
    // A question whose buttons carry `answers` (the first is the default), the question icon:
    // the index of the answer taken; `escape` when the box is closed unanswered.
    static int choose(QWidget* parent, const QString& text, const QString& caption,
                      const QStringList& answers, int escape);

    // Test hooks.
    struct Shown {
        QString text;
        QString caption;
        Icon icon;
        Buttons buttons;
        bool busyCursor;      // whether a busy cursor stood over the box
        QStringList answers;  // the buttons' texts of a question of choose
    };
    static void setScripted(bool scripted);
    // Answers the next scripted box; an unscripted question is answered No, or Cancel where it
    // offers Apply, Discard and Cancel, or with its escape answer where it has answers of its own.
    static void setNextAnswer(Answer answer);
    static std::vector<Shown> takeShown();

  private:
    static Answer scriptedAnswer(Buttons buttons);
};

// Lifts any busy cursor while a window of its own waits for the user, and puts it back after.
class BusyCursorLift {
  public:
    BusyCursorLift();
    ~BusyCursorLift();
    BusyCursorLift(const BusyCursorLift&) = delete;
    BusyCursorLift& operator=(const BusyCursorLift&) = delete;

  private:
    int lifted_ = 0;
};

}  // namespace lumora_usb_encoder
