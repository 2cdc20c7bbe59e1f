// The message box and dialog wrappers, the busy cursor, the enable rule and the command line.
#include <QtTest>

#include "gui/file_dialogs.h"
#include "gui/message_box.h"
#include "gui/qt_user_interface.h"
#include "settings/enable_rule.h"
#include "sim/app_options.h"

using namespace lumora_usb_encoder;

class WrappersTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        MessageBox::setScripted(true);
        FileDialogs::setScripted(true);
    }
    void cleanup() {
        MessageBox::setScripted(false);
        FileDialogs::setScripted(false);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
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
};

QTEST_MAIN(WrappersTest)
#include "wrappers_test.moc"
