// The message box and dialog wrappers, the busy cursor, the enable rule, and the about window
// and splash.
#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include "../gui_world.h"
#include "gui/main/about_window.h"
#include "gui/main/form1.h"
#include "gui/main/splash_form.h"
#include "gui/qt_user_interface.h"
#include "settings/enable_rule.h"

using namespace lumora_usb_encoder;
using namespace lumora_usb_encoder::testing;

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
        for (about* window : visibleWindows<about>()) {
            delete window;
        }
    }

    void busyCursorStepsAsideAndDialogsAnswerFromTheScript() {
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
        // Dialogs answer from the script, and cancel otherwise.
        FileDialogs::setNextFile(QString("/tmp/a.ini"));
        QCOMPARE(ui.chooseOpenFile("(*.ini)|*.ini", "openFileDialogBrowse"),
                 std::optional<std::string>("/tmp/a.ini"));
        QCOMPARE(ui.chooseOpenFile("(*.ini)|*.ini", "x"), std::optional<std::string>());
        auto requests = FileDialogs::takeRequests();
        QCOMPARE(requests.size(), size_t(3));  // the folder too
        QCOMPARE(requests[1].second, QString("openFileDialogBrowse"));
    }

    void filterPairsBecomeQtNameFilters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("TwoPairs") << "(*.ini)|*.ini|All files (*.ini)|*.ini"
                                  << QStringList{"(*.ini)", "All files (*.ini)"};
        QTest::addRow("TwoPatterns") << "Images|*.png;*.jpg" << QStringList{"Images (*.png *.jpg)"};
        QTest::addRow("DanglingLabel") << "Text|*.txt|Odd" << QStringList{"Text (*.txt)"};
    }
    void filterPairsBecomeQtNameFilters() {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(FileDialogs::nameFilters(filter), expected);
    }

    // Usable lists: B brightness, C colour, Z buzzer, P period, T table, F function buttons.
    void enableRuleGatesListsOnOptionBits_data() {
        QTest::addColumn<bool>("enable");
        QTest::addColumn<int>("options");
        QTest::addColumn<QString>("usable");
        QTest::addRow("EnablingEnablesAll") << true << 0 << "BCZPTF";
        QTest::addRow("NoFeatureBitsKeepTheLists") << false << 0 << "BCZP";
        QTest::addRow("BrightnessBitDisablesBrightness") << false << 2 << "CZP";
        QTest::addRow("ColourBitAloneKeepsColour") << false << 1 << "BCZP";
        QTest::addRow("ColourAndBuzzerBits") << false << 5 << "B";
        QTest::addRow("BuzzerBitDisablesBuzzerAndPeriod") << false << 4 << "BC";
        QTest::addRow("EveryBit") << false << 7 << "";
    }
    void enableRuleGatesListsOnOptionBits() {
        QFETCH(bool, enable);
        QFETCH(int, options);
        QFETCH(QString, usable);
        ControlStates states = enableRule(enable, options);
        QString shown;
        shown += states.ledBrightness ? "B" : "";
        shown += states.ledColour ? "C" : "";
        shown += states.buzzer ? "Z" : "";
        shown += states.buzzerPeriod ? "P" : "";
        shown += states.keypadType ? "T" : "";
        shown += states.functionButtons ? "F" : "";
        QCOMPARE(shown, usable);
    }

    // Each menu choice opens one more window, over the main one, without touching the keypad; the
    // window shows the version record and closes on its button.
    void aboutWindow() {
        GuiWorld world("absent=1");
        Form1 form(world.settingsFile());
        form.move(40, 50);
        auto* item = form.findChild<QAction*>("aboutVorlaUSBEncoderConfiguratorToolStripMenuItem1");
        QVERIFY(item);
        item->trigger();
        item->trigger();
        QCOMPARE(visibleWindows<about>().size(), 2);
        QPointer<about> window = visibleWindows<about>().front();
        QCOMPARE(window->pos(), form.pos());
        QCOMPARE(world.counting->calls.load(), 0);
        QCOMPARE(world.shownTexts(), QStringList());
        QCOMPARE(item->text(), QString("About Quillon™ Configuration Utility"));
        QCOMPARE(window->windowTitle(), item->text());
        QCOMPARE(child<QLabel>(window, "versionLbl")->text(), QString("Version 7.2"));
        QCOMPARE(child<QLabel>(window, "partNoLbl")->text(), QString("Quillon™-SW01"));
        QCOMPARE(child<QLabel>(window, "label3")->text(), QString("Part No "));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(child<QTextBrowser>(window, "richTextBox1")
                    ->toPlainText()
                    .startsWith("This software works with Vorla's  Quillon™.\n"));
        QVERIFY(!child<QLabel>(window, "pictureBox1")->pixmap().isNull());
        QTest::mouseClick(child<QPushButton>(window, "button2"), Qt::LeftButton);
        QTRY_VERIFY(window.isNull());
    }

    void splashClosesItselfOnItsFirstTick() {
        QPointer<vorla_splash_form> splash = new vorla_splash_form;
        QVERIFY(!splash->findChild<QLabel*>("pictureBox1")->pixmap().isNull());
        splash->show();
        auto* timer = splash->findChild<QTimer*>("timer1");
        QVERIFY(timer != nullptr);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 3000);
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
        QTRY_VERIFY(splash.isNull());
    }
};

QTEST_MAIN(WrappersTest)
#include "wrappers_test.moc"
