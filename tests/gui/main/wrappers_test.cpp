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

    void filterPairsBecomeQtNameFilters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("settings files") << "(*.ini)|*.ini|All files (*.ini)|*.ini"
                                        << QStringList({"(*.ini)", "All files (*.ini)"});
        QTest::newRow("label without patterns")
            << "Images|*.png;*.jpg" << QStringList({"Images (*.png *.jpg)"});
        QTest::newRow("dangling label") << "Text|*.txt|Odd" << QStringList({"Text (*.txt)"});
    }
    void filterPairsBecomeQtNameFilters() {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(FileDialogs::nameFilters(filter), expected);
    }

    void enableRuleGatesListsOnOptionBits_data() {
        QTest::addColumn<bool>("enable");
        QTest::addColumn<int>("options");
        QTest::addColumn<QString>("usable");  // B brightness, C colour, Z buzzer, P period
        QTest::newRow("enable ignores options") << true << 0 << "BCZPTF";
        QTest::newRow("no options: lists stay usable") << false << 0 << "BCZP";
        QTest::newRow("brightness bit") << false << 2 << "CZP";
        QTest::newRow("colour bit alone") << false << 1 << "BCZP";
        QTest::newRow("colour and buzzer bits") << false << 5 << "B";
        QTest::newRow("buzzer bit") << false << 4 << "BC";
        QTest::newRow("all bits") << false << 7 << "";
    }
    void enableRuleGatesListsOnOptionBits() {
        QFETCH(bool, enable);
        QFETCH(int, options);
        QFETCH(QString, usable);
        ControlStates states = enableRule(enable, options);
        QCOMPARE(states.ledBrightness, usable.contains('B'));
        QCOMPARE(states.ledColour, usable.contains('C'));
        QCOMPARE(states.buzzer, usable.contains('Z'));
        QCOMPARE(states.buzzerPeriod, usable.contains('P'));
        QCOMPARE(states.keypadType, usable.contains('T'));
        QCOMPARE(states.functionButtons, usable.contains('F'));
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("parsed");
        QTest::addColumn<QString>("simulate");  // "-" when not simulated
        QTest::addColumn<bool>("noSplash");
        QTest::newRow("plain") << QStringList() << true << "-" << false;
        QTest::newRow("simulate") << QStringList({"--simulate"}) << true << "" << false;
        QTest::newRow("simulate spec") << QStringList({"--simulate=keys=16,type=8", "--no-splash"})
                                       << true << "keys=16,type=8" << true;
        QTest::newRow("socket and simulation exclude each other")
            << QStringList({"--simulate", "--hid-socket", "/tmp/s"}) << false << "-" << false;
        QTest::newRow("unknown option") << QStringList({"--bogus"}) << false << "-" << false;
    }
    void commandLine() {
        QFETCH(QStringList, args);
        QFETCH(bool, parsed);
        QFETCH(QString, simulate);
        QFETCH(bool, noSplash);
        std::vector<std::string> words = {"quillon-config"};
        for (const QString& arg : args) {
            words.push_back(arg.toStdString());
        }
        std::vector<char*> argv;
        for (auto& word : words) {
            argv.push_back(word.data());
        }
        qunsetenv("QUILLON_HID_SOCKET");
        ParsedOptions result = parseAppOptions(static_cast<int>(argv.size()), argv.data());
        QCOMPARE(result.options.has_value(), parsed);
        if (!parsed) {
            QCOMPARE(result.exitCode, 2);
            return;
        }
        QCOMPARE(result.options->simulate.has_value(), simulate != "-");
        if (result.options->simulate) {
            QCOMPARE(QString::fromStdString(*result.options->simulate), simulate);
        }
        QCOMPARE(result.options->noSplash, noSplash);
    }

    void badSimulationSpecIsTold() {
        AppOptions options;
        options.simulate = "keys=7";
        std::string error;
        QVERIFY(makeChosenBackend(options, error) == nullptr);
        QVERIFY(!error.empty());
    }
};

QTEST_MAIN(WrappersTest)
#include "wrappers_test.moc"
