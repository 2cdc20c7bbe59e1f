// The message box and dialog wrappers, the busy cursor, the enable rule, the command line, and
// the about window and splash.
#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include "gui/file_dialogs.h"
#include "gui/main/about_window.h"
#include "gui/main/form1.h"
#include "gui/main/splash_form.h"
#include "gui/message_box.h"
#include "gui/qt_user_interface.h"
#include "gui_world.h"
#include "settings/enable_rule.h"
#include "sim/app_options.h"

using namespace lumora_usb_encoder;
using namespace lumora_usb_encoder::testing;

class WrappersTest : public QObject {
    Q_OBJECT

    static QList<about*> aboutWindows() {
        QList<about*> windows;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<about*>(widget); window && window->isVisible()) {
                windows << window;
            }
        }
        return windows;
    }

  private slots:
    void init() {
        MessageBox::setScripted(true);
        FileDialogs::setScripted(true);
    }
    void cleanup() {
        MessageBox::setScripted(false);
        FileDialogs::setScripted(false);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        for (about* window : aboutWindows()) {
            delete window;
        }
    }

    void warningsGainALineBreakQuestionsDoNot() {
        QtUserInterface ui(nullptr);
        ui.warn("Unable to set LED colour..", kCaptionQuillon);
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        QVERIFY(ui.ask("Overwrite?", "Save USBUtilityCfg File"));
        QVERIFY(!ui.ask("Again?", "Save USBUtilityCfg File"));
        auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), size_t(3));
        QCOMPARE(shown[0].text, QString("Unable to set LED colour..\n"));
        QCOMPARE(shown[0].caption, QString("Vorla Quillon™"));
        QCOMPARE(shown[1].text, QString("Overwrite?"));
        QCOMPARE(shown[1].icon, MessageBox::Icon::Question);
    }

    void busyCursorStepsAsideForMessagesAndComesBack() {
        QtUserInterface ui(nullptr);
        {
            BusyScope outer(ui);
            BusyScope inner(ui);
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            ui.warn("x", kCaptionQuillon);
            (void)ui.chooseFolder("Select", "/");
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QVERIFY(!MessageBox::takeShown().front().busyCursor);
    }

    void dialogsAnswerFromTheScriptAndCancelOtherwise() {
        QtUserInterface ui(nullptr);
        FileDialogs::setNextFile(QString("/tmp/a.ini"));
        QCOMPARE(ui.chooseOpenFile("(*.ini)|*.ini", "openFileDialogBrowse"),
                 std::optional<std::string>("/tmp/a.ini"));
        QCOMPARE(ui.chooseOpenFile("(*.ini)|*.ini", "x"), std::optional<std::string>());
        auto requests = FileDialogs::takeRequests();
        QCOMPARE(requests.size(), size_t(2));
        QCOMPARE(requests[0].second, QString("openFileDialogBrowse"));
    }

    void filterPairsBecomeQtNameFilters() {
        const std::pair<QString, QStringList> cases[] = {
            {"(*.ini)|*.ini|All files (*.ini)|*.ini", {"(*.ini)", "All files (*.ini)"}},
            {"Images|*.png;*.jpg", {"Images (*.png *.jpg)"}},
            {"Text|*.txt|Odd", {"Text (*.txt)"}},  // a dangling label
        };
        for (const auto& [filter, expected] : cases) {
            QCOMPARE(FileDialogs::nameFilters(filter), expected);
        }
    }

    // Usable lists: B brightness, C colour, Z buzzer, P period, T table, F function buttons.
    void enableRuleGatesListsOnOptionBits() {
        const struct {
            bool enable;
            int options;
            QString usable;
        } cases[] = {{true, 0, "BCZPTF"}, {false, 0, "BCZP"}, {false, 2, "CZP"}, {false, 1, "BCZP"},
                     {false, 5, "B"},     {false, 4, "BC"},   {false, 7, ""}};
        for (const auto& c : cases) {
            ControlStates states = enableRule(c.enable, c.options);
            QString usable = QString(states.ledBrightness ? "B" : "") +
                             (states.ledColour ? "C" : "") + (states.buzzer ? "Z" : "") +
                             (states.buzzerPeriod ? "P" : "") + (states.keypadType ? "T" : "") +
                             (states.functionButtons ? "F" : "");
            QCOMPARE(usable, c.usable);
        }
    }

    void commandLine() {
        const struct {
            std::vector<std::string> words;
            bool parsed;
            const char* simulate;  // "-": not simulated
            bool noSplash;
        } cases[] = {
            {{}, true, "-", false},
            {{"--simulate"}, true, "", false},
            {{"--simulate=keys=16,type=8", "--no-splash"}, true, "keys=16,type=8", true},
            {{"--simulate", "--hid-socket", "/tmp/s"}, false, "-", false},  // one or the other
            {{"--bogus"}, false, "-", false},
        };
        qunsetenv("QUILLON_HID_SOCKET");
        for (const auto& c : cases) {
            std::vector<std::string> words = {"quillon-config"};
            words.insert(words.end(), c.words.begin(), c.words.end());
            std::vector<char*> argv;
            for (auto& word : words) {
                argv.push_back(word.data());
            }
            ParsedOptions result = parseAppOptions(static_cast<int>(argv.size()), argv.data());
            QCOMPARE(result.options.has_value(), c.parsed);
            if (!c.parsed) {
                QCOMPARE(result.exitCode, 2);
                continue;
            }
            QCOMPARE(result.options->simulate.value_or("-"), std::string(c.simulate));
            QCOMPARE(result.options->noSplash, c.noSplash);
        }
    }

    void eachMenuChoiceOpensOneMoreWindowWithoutTouchingTheKeypad() {
        GuiWorld world("absent=1");
        Form1 form(world.settingsFile());
        form.move(40, 50);
        auto* item = form.findChild<QAction*>("aboutVorlaUSBEncoderConfiguratorToolStripMenuItem1");
        QVERIFY(item);
        QCOMPARE(item->text(), QString("About Quillon™ Configuration Utility"));
        item->trigger();
        item->trigger();
        QCOMPARE(aboutWindows().size(), 2);
        QCOMPARE(aboutWindows().front()->pos(), form.pos());
        QCOMPARE(world.counting->calls.load(), 0);
        QCOMPARE(world.shownTexts(), QStringList());
    }

    void showsTheVersionRecordAndClosesOnItsButton() {
        QPointer<about> window = new about;
        QCOMPARE(window->windowTitle(), QString("About Quillon™ Configuration Utility"));
        QCOMPARE(window->findChild<QLabel*>("versionLbl")->text(), QString("Version 7.2"));
        QCOMPARE(window->findChild<QLabel*>("partNoLbl")->text(), QString("Quillon™-SW01"));
        QCOMPARE(window->findChild<QLabel*>("label3")->text(), QString("Part No "));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(window->findChild<QTextBrowser*>("richTextBox1")
                    ->toPlainText()
                    .startsWith("This software works with Vorla's  Quillon™.\n"));
        QVERIFY(!window->findChild<QLabel*>("pictureBox1")->pixmap().isNull());
        window->show();
        QTest::mouseClick(window->findChild<QPushButton*>("button2"), Qt::LeftButton);
        QTRY_VERIFY(window.isNull());
    }

    void splashClosesItselfOnItsFirstTick() {
        QPointer<vorla_splash_form> splash = new vorla_splash_form;
        QVERIFY(!splash->findChild<QLabel*>("pictureBox1")->pixmap().isNull());
        splash->show();
        auto* timer = splash->findChild<QTimer*>("timer1");
        QVERIFY(timer && timer->isActive());
        QCOMPARE(timer->interval(), 3000);
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
        QTRY_VERIFY(splash.isNull());
    }
};

QTEST_MAIN(WrappersTest)
#include "wrappers_test.moc"
