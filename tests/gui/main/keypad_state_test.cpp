// The main window shows the keypad as it is, whichever window is open or has the keypad: a
// removal and a return while another window is open, the controls held while another window's
// job runs, and a status line that tells the present.
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTextEdit>
#include <QtTest>
#include <filesystem>
#include <thread>

#include "../gui_world.h"
#include "device/keypad_service.h"
#include "gui/editors/code_table_editor_window.h"
#include "gui/main/form1.h"
#include "gui/selftest/self_test.h"
#include "gui/upgrade/firmware_upgrade.h"
#include "settings/settings_file.h"
#include "sim/sim_loader.h"
#include "upgrade/upgrade_capture.h"
#include "upgrade/upgrade_mode.h"

using namespace lumora_usb_encoder;
using namespace lumora_usb_encoder::testing;

namespace {

const QString kSample = QUILLON_SAMPLE_FIRMWARE;
const QString kNone = "Device Connected   -    None";
// Real time for the bus thread to be heard; a loaded machine running sanitized tests side by
// side can take seconds, and a wait that is met returns at once.
constexpr int kPatience = 20000;

// Everything of the main window that would send to the keypad.
const QStringList kSending = {"ledBrightnessCbox", "ledColourCbox",  "buzzerCbox",
                              "buzzerPeriodCbox",  "keypadTypeCbox", "button11",
                              "button1",           "button8",        "button9",
                              "button3",           "button2",        "btnLoadFirmware"};

}  // namespace

class KeypadStateTest : public QObject {
    Q_OBJECT

    std::unique_ptr<GuiWorld> world;
    std::unique_ptr<Form1> form;
    std::shared_ptr<sim::SimLoader> loader;

    void start(const std::string& spec = "keys=8") {
        world =
            std::make_unique<GuiWorld>(spec, WorldOptions{.clock = std::make_shared<PacedClock>()});
        loader = sim::connectLoader(world->simulation);
        ensureSettingsFile(world->settingsFile());
        form = std::make_unique<Form1>(world->settingsFile());
        form->setQuitAction([] {});
        form->Form1_Load();
        form->show();
    }
    template <typename T = QWidget>
    T* find(const char* name) {
        return must<T>(form.get(), name);
    }
    QString firstLine() { return find<QTextEdit>("richTextBox1")->toPlainText().split('\n')[0]; }
    QString statusLine() { return find<QStatusBar>("statusStrip1")->currentMessage(); }
    QStringList enabledSending() {
        QStringList enabled;
        for (const QString& name : kSending) {
            if (find(qPrintable(name))->isEnabled()) {
                enabled << name;
            }
        }
        return enabled;
    }
    void unplug() { world->simulation.bus->detach(world->simulation.keypad.get()); }
    void plugIn() { world->simulation.bus->attach(world->simulation.keypad); }
    // The firmware button, answered Yes: the keypad leaves for its loader.
    firmware_upgrade* openFirmwareWindow() {
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        find<QPushButton>("btnLoadFirmware")->click();
        Sleep(loader->timing.restartMs + 50);
        auto windows = visibleWindows<firmware_upgrade>();
        return windows.isEmpty() ? nullptr : windows[0];
    }
    // As a user commits a choice: focus the list and move onto the entry with an arrow key.
    void chooseBrightness(int entry) {
        auto* box = find<QComboBox>("ledBrightnessCbox");
        box->setFocus();
        box->setCurrentIndex(entry - 1);
        QTest::keyClick(box, Qt::Key_Down);
    }
    bool brightnessSent(int value) {
        auto sent = world->changesSent();
        return !sent.empty() &&
               sent.back() == SentCommand{Command::LedBrightness, {static_cast<uint8_t>(value)}};
    }

  private slots:
    void cleanup() {
        if (world) {
            world->loaderSearchHeld = false;
        }
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (qobject_cast<firmware_upgrade*>(window) || qobject_cast<self_test*>(window)) {
                delete window;
            }
        }
        form.reset();
        loader.reset();
        world.reset();
        upgradeCapture() = {};
    }

    void removalAndReturnWhileAnotherWindowIsOpen_data() {
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("back");  // the status line once the keypad is back
        QTest::addRow("self test running") << "self test"
                                           << "Keypad connected";
        // Its loader never touched it: the backup the firmware button wrote is not needed.
        QTest::addRow("firmware window, keypad in its loader")
            << "firmware window"
            << "The keypad came back from its loader untouched; the backup is no longer needed.";
        QTest::addRow("modal box") << "modal box"
                                   << "Keypad connected";
    }
    // Gone: the disconnected view while the other window is still open; back: the keypad again,
    // without Scan; and a change made then reaches it.
    void removalAndReturnWhileAnotherWindowIsOpen() {
        QFETCH(QString, open);
        QFETCH(QString, back);
        start();
        bool goneShown = false;
        bool backShown = false;
        if (open == "self test") {
            find<QPushButton>("button2")->click();
            QTRY_COMPARE(statusLine(), QString("Self test running"));
            QPointer<self_test> test = visibleWindows<self_test>()[0];
            unplug();
            goneShown = QTest::qWaitFor([&] { return firstLine().startsWith(kNone); }, kPatience);
            if (test) {
                QTest::mouseClick(must<QPushButton>(test, "endBtn"), Qt::LeftButton);
            }
            QTRY_VERIFY(test.isNull());
            plugIn();
            backShown =
                QTest::qWaitFor([&] { return firstLine().contains("Quillon™"); }, kPatience);
        } else if (open == "firmware window") {
            QPointer<firmware_upgrade> window = openFirmwareWindow();
            QVERIFY(window);
            goneShown = QTest::qWaitFor([&] { return firstLine().startsWith(kNone); }, kPatience);
            QCOMPARE(statusLine(), QString("Keypad in firmware upgrade mode"));
            window->close();
            world->simulation.bus->detach(loader.get());
            plugIn();
            backShown =
                QTest::qWaitFor([&] { return firstLine().contains("Quillon™"); }, kPatience);
        } else {
            QDialog box(form.get());
            box.setModal(true);
            QTimer::singleShot(0, &box, [&] {
                unplug();
                goneShown =
                    QTest::qWaitFor([&] { return firstLine().startsWith(kNone); }, kPatience);
                plugIn();
                backShown =
                    QTest::qWaitFor([&] { return firstLine().contains("Quillon™"); }, kPatience);
                box.accept();
            });
            box.exec();
        }
        QVERIFY(goneShown);
        QVERIFY(backShown);
        QCOMPARE(statusLine(), back);
        QVERIFY(!std::filesystem::exists(upgradeBackupPath(world->settingsFile())));
        MessageBox::takeShown();
        chooseBrightness(6);
        QVERIFY(brightnessSent(6));
        QCOMPARE(takeBoxes(), QList<Box>());
    }

    void anotherWindowsJobHoldsTheSendingControls_data() {
        QTest::addColumn<QString>("job");
        QTest::addColumn<QString>("said");
        QTest::addRow("self test") << "self test"
                                   << "Self test running";
        QTest::addRow("firmware upgrade") << "firmware upgrade"
                                          << "Firmware upgrade in progress";
    }
    // Nothing here sends while another window's job has the keypad (a factory reset pressed by
    // accident during an upgrade would wipe what the upgrade is to write back); the status line
    // names the job, and once it is over the controls are back.
    void anotherWindowsJobHoldsTheSendingControls() {
        QFETCH(QString, job);
        QFETCH(QString, said);
        start();
        QPointer<QWidget> window;
        if (job == "self test") {
            find<QPushButton>("button2")->click();
            window = visibleWindows<self_test>()[0];
        } else {
            window = openFirmwareWindow();
            QVERIFY(window);
            QTRY_COMPARE(must<QLabel>(window, "labelNumOfDevices")->text(),
                         QString("Found 1 device"));
            FileDialogs::setNextFile(kSample);
            must<QPushButton>(window, "btnBrowse")->click();
            world->loaderSearchHeld = true;
            must<QPushButton>(window, "btnUpgrade")->click();
        }
        QTRY_COMPARE(statusLine(), said);
        QCOMPARE(enabledSending(), QStringList());
        QVERIFY(!find<QAction>("aboutVorlaUSBEncoderConfiguratorToolStripMenuItem")->isEnabled());
        if (job == "self test") {
            QTest::mouseClick(must<QPushButton>(window, "endBtn"), Qt::LeftButton);
            QTRY_VERIFY(window.isNull());
            QCOMPARE(statusLine(), QString("Self test finished"));
        } else {
            world->loaderSearchHeld = false;
            QTRY_VERIFY_WITH_TIMEOUT(statusLine() == "Firmware upgraded", 20000);
            QVERIFY2(firstLine().endsWith("7.3"), qPrintable(firstLine()));  // read afresh
        }
        QCOMPARE(enabledSending(), kSending);
    }

    void statusLineTellsThePresent_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("then");
        QTest::addColumn<QString>("said");
        QTest::addRow("scan after an editor's apply") << "apply"
                                                      << "scan"
                                                      << "Keypad connected";
        QTest::addRow("factory reset after a save") << "save"
                                                    << "factory reset"
                                                    << "Factory settings restored";
        QTest::addRow("a refused setting") << "save"
                                           << "refused setting"
                                           << "Unable to set the LED Brightness..";
        QTest::addRow("removal after an editor's apply") << "apply"
                                                         << "unplug"
                                                         << "Keypad removed";
    }
    void statusLineTellsThePresent() {
        QFETCH(QString, before);
        QFETCH(QString, then);
        QFETCH(QString, said);
        start("keys=8,type=2");
        if (before == "apply") {
            find<QPushButton>("button1")->click();
            auto* editor = visibleWindows<CodeTableEditorWindow>()[0];
            must<QPushButton>(editor, "applyBtn")->click();
            QCOMPARE(statusLine(), QString("Code table applied"));
        } else {
            find<QPushButton>("button8")->click();
            QVERIFY(statusLine().startsWith("Settings saved to "));
        }
        if (then == "scan") {
            find<QPushButton>("button11")->click();
        } else if (then == "factory reset") {
            find<QPushButton>("button9")->click();
        } else if (then == "refused setting") {
            world->simulation.keypad->faults.refuse = true;
            chooseBrightness(3);
        } else {
            unplug();
        }
        QTRY_COMPARE(statusLine(), said);
    }
};

QTEST_MAIN(KeypadStateTest)
#include "keypad_state_test.moc"
