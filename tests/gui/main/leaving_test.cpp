// Leaving the program by the title bar, Exit or File -> Exit: one rule. A running upgrade
// refuses and every window stays; unapplied edits are asked about while the keypad is open.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>
#include <thread>

#include "../gui_world.h"
#include "codetable/editor_family.h"
#include "device/keypad_leaving.h"
#include "gui/editors/code_table_editor_window.h"
#include "gui/main/form1.h"
#include "gui/upgrade/firmware_upgrade.h"
#include "settings/settings_file.h"
#include "sim/sim_loader.h"
#include "upgrade/upgrade_mode.h"

using namespace lumora_usb_encoder;
using namespace lumora_usb_encoder::testing;

class LeavingTest : public QObject {
    Q_OBJECT

    std::unique_ptr<GuiWorld> world;
    std::unique_ptr<Form1> form;
    std::shared_ptr<sim::SimLoader> loader;
    int quits = 0;

    void start(const std::string& spec) {
        world = std::make_unique<GuiWorld>(spec);
        loader = sim::connectLoader(world->simulation);
        ensureSettingsFile(world->settingsFile());
        quits = 0;
        form = std::make_unique<Form1>(world->settingsFile());
        form->setQuitAction([this] { ++quits; });
        form->Form1_Load();
        form->show();
    }
    void leaveBy(const QString& way) {
        if (way == "title bar") {
            form->close();
        } else if (way == "Exit") {
            must<QPushButton>(form.get(), "button10")->click();
        } else {
            must<QAction>(form.get(), "exitToolStripMenuItem1")->trigger();
        }
    }
    static void addWays() {
        QTest::addColumn<QString>("way");
        for (const char* way : {"title bar", "Exit", "File -> Exit"}) {
            QTest::addRow("%s", way) << way;
        }
    }
    static bool keypadOpen() {
        std::lock_guard lock(exchangeMutex());
        return hid_handle != nullptr;
    }

  private slots:
    void cleanup() {
        if (world) {
            world->loaderSearchHeld = false;
        }
        for (QWidget* window : QApplication::topLevelWidgets()) {
            delete qobject_cast<firmware_upgrade*>(window);
        }
        form.reset();
        loader.reset();
        world.reset();
        upgradeCapture() = {};
    }

    void aRunningUpgradeRefusesAndEveryWindowStays_data() { addWays(); }
    // Once the upgrade is over the same way out ends the program, the keypad closed.
    void aRunningUpgradeRefusesAndEveryWindowStays() {
        QFETCH(QString, way);
        start("keys=8");
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        must<QPushButton>(form.get(), "btnLoadFirmware")->click();
        Sleep(loader->timing.restartMs + 50);
        QPointer<firmware_upgrade> window = visibleWindows<firmware_upgrade>()[0];
        QTRY_COMPARE_WITH_TIMEOUT(must<QLabel>(window, "labelNumOfDevices")->text(),
                                  QString("Found 1 device"), 20000);
        FileDialogs::setNextFile(QUILLON_SAMPLE_FIRMWARE);
        must<QPushButton>(window, "btnBrowse")->click();
        world->loaderSearchHeld = true;
        must<QPushButton>(window, "btnUpgrade")->click();
        MessageBox::takeShown();
        leaveBy(way);
        QCOMPARE(takeBoxes(), QList{warningBox(QString(kUpgradeRefusesLeaving) + "\n")});
        QCOMPARE(quits, 0);
        QVERIFY(form->isVisible());
        QVERIFY(window && window->isVisible());
        world->loaderSearchHeld = false;
        QTRY_VERIFY_WITH_TIMEOUT(
            must<QPlainTextEdit>(window, "statusBox")->toPlainText().contains("Done!"), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(keypadOpen(), 20000);  // the restore's waits, on a loaded machine
        leaveBy(way);
        QCOMPARE(quits, 1);
        QVERIFY(!keypadOpen());
    }

    void unappliedEditsAreAskedAboutFirst_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<MessageBox::Answer>("answer");
        for (const char* way : {"title bar", "Exit", "File -> Exit"}) {
            QTest::addRow("%s, Cancel", way) << way << MessageBox::Answer::Cancel;
            QTest::addRow("%s, Apply", way) << way << MessageBox::Answer::Apply;
        }
    }
    // Cancel: the program, the editor and the keypad stay as they were. Apply: the table goes
    // while the keypad is open, and only then is the keypad closed and the program left.
    void unappliedEditsAreAskedAboutFirst() {
        QFETCH(QString, way);
        QFETCH(MessageBox::Answer, answer);
        start("keys=8,type=2");
        must<QPushButton>(form.get(), "button1")->click();
        QPointer<CodeTableEditorWindow> editor = visibleWindows<CodeTableEditorWindow>()[0];
        must<QPushButton>(editor, "key7Btn")->click();
        emit must<QComboBox>(editor, "selectCodeCbox")->activated(0x68);
        MessageBox::takeShown();
        MessageBox::setNextAnswer(answer);
        uint8_t before = world->simulation.keypad->current().customTable[13];
        leaveBy(way);
        QCOMPARE(takeBoxes(), QList{questionBox(kUnappliedChangesQuestion, "Vorla Quillon™",
                                                MessageBox::Buttons::ApplyDiscardCancel)});
        bool applied = answer == MessageBox::Answer::Apply;
        QCOMPARE(quits, applied ? 1 : 0);
        QCOMPARE(keypadOpen(), !applied);
        QCOMPARE(world->simulation.keypad->current().customTable[13], applied ? 0x68 : before);
        QVERIFY(editor && editor->isVisible());
        QVERIFY(form->isVisible());
    }
};

QTEST_MAIN(LeavingTest)
#include "leaving_test.moc"
