// The main window against the simulated keypad: load, views, enable rule, lists, resets,
// files, exits and the firmware button.
#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTextEdit>
#include <QtTest>
#include <filesystem>

#include "../gui_world.h"
#include "gui/main/form1.h"
#include "upgrade/upgrade_capture.h"
#include "upgrade/upgrade_mode.h"

using namespace lumora_usb_encoder;
using namespace lumora_usb_encoder::testing;

namespace {

const QStringList kNoneLines = {
    "Device Connected   -    None                                Firmware Version        -   None",
    "Keypad Selected     -    None                                Code Table Loaded     -   None",
    "Serial Number          -    None"};
// The window's controls in the order Tab reaches them, after the status box.
const QStringList kControls = {
    "button11",       "ledBrightnessCbox", "ledColourCbox", "buzzerCbox", "buzzerPeriodCbox",
    "keypadTypeCbox", "button1",           "button8",       "button9",    "button3",
    "button2",        "btnLoadFirmware",   "button10"};
// Usable without a keypad: the load clears the options byte, so no list is gated off.
const QStringList kWithoutKeypad = {"button11",   "ledBrightnessCbox", "ledColourCbox",
                                    "buzzerCbox", "buzzerPeriodCbox",  "btnLoadFirmware",
                                    "button10"};

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<GuiWorld> world;
    std::unique_ptr<Form1> form;
    int quits = 0;

    // A table row starts afresh, as the next test slot would.
    void start(const std::string& spec = "keys=8", bool load = true) {
        if (world) {
            cleanup();
            init();
        }
        world = std::make_unique<GuiWorld>(spec);
        form = std::make_unique<Form1>(world->settingsFile());
        form->setQuitAction([this] { ++quits; });
        if (load) {
            form->Form1_Load();
        }
    }
    template <typename T = QWidget>
    T* find(const char* name) {
        return must<T>(form.get(), name);
    }
    QComboBox* list(const char* name) { return find<QComboBox>(name); }
    QStringList statusLines() { return find<QTextEdit>("richTextBox1")->toPlainText().split('\n'); }
    QStringList enabledControls() {
        QStringList enabled;
        for (const QString& name : kControls) {
            if (find(qPrintable(name))->isEnabled()) {
                enabled << name;
            }
        }
        return enabled;
    }
    void click(const char* name) { QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton); }
    // As a user commits a choice: focus the list and move onto the entry with an arrow key.
    void choose(const char* name, int entry) {
        QComboBox* box = list(name);
        box->setFocus();
        box->setCurrentIndex(entry == 0 ? (box->count() > 1 ? 1 : -1) : entry - 1);
        QTest::keyClick(box, entry == 0 && box->count() > 1 ? Qt::Key_Up : Qt::Key_Down);
    }

  private slots:
    void init() {
        quits = 0;
        QApplication::restoreOverrideCursor();
    }
    void cleanup() {
        form.reset();
        // The firmware button's window counts on the world's bus; it goes before the bus.
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == "firmware_upgrade") {
                delete window;
            }
        }
        world.reset();
        QVERIFY2(QApplication::overrideCursor() == nullptr, "the busy cursor outlived the work");
    }

    void controlsCarryTheirTextsAndStartDisabled() {
        start("keys=8", false);
        QCOMPARE(form->windowTitle(), QString("Vorla Quillon™ Configuration Utility"));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QCOMPARE(list("buzzerPeriodCbox")->count(), 9);
        QCOMPARE(list("buzzerPeriodCbox")->placeholderText(), QString("Buzzer Period -0"));
        QCOMPARE(list("keypadTypeCbox")->placeholderText(), QString("Quillon™ - Layout"));
        QCOMPARE(list("keypadTypeCbox")->itemText(0), QString("Default      Table"));
        QCOMPARE(list("ledBrightnessCbox")->currentText(), QString("LED Brightness - 0"));
        QCOMPARE(enabledControls(),
                 QStringList({"button11", "button3", "btnLoadFirmware", "button10"}));
    }

    void connectedViewShowsTheKeypad() {
        start("keys=8,brightness=7,buzzer=0,period=4,serial=QK0000099999,version=3.14");
        QCOMPARE(world->shownTexts(), QStringList());
        QCOMPARE(statusLines(),
                 QStringList({"Device Connected   -    Quillon™                Firmware Version "
                              "       -   3.14",
                              "Keypad Selected     -    8Way Keypad         Code Table Loaded     "
                              "-   Default      Table",
                              "Serial Number          -    QK0000099999"}));
        QCOMPARE(list("ledBrightnessCbox")->currentText(), QString("LED Brightness - 7"));
        QCOMPARE(list("buzzerCbox")->currentText(), QString("Buzzer - Off"));
        QCOMPARE(list("buzzerPeriodCbox")->currentText(), QString("Buzzer Period -4"));
        QCOMPARE(enabledControls(), kControls);
    }

    // The status line (-1: the period list) and how it ends.
    void statusRecordFields_data() {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("ending");
        QTest::addRow("PeriodZeroSoundsAsTwo") << "period=0" << -1 << "Buzzer Period -2";
        QTest::addRow("VersionAfterTheLongestTableName")
            << "keys=16,type=7,version=7.7" << 0 << "-   7.7";
        QTest::addRow("FiveKeys")
            << "keys=5" << 1 << "5Way Keypad         Code Table Loaded     -   Default      Table";
    }
    void statusRecordFields() {
        QFETCH(QString, spec);
        QFETCH(int, line);
        QFETCH(QString, ending);
        start(spec.toStdString());
        QString shown = line < 0 ? list("buzzerPeriodCbox")->currentText() : statusLines()[line];
        QVERIFY2(shown.endsWith(ending), qPrintable(shown));
    }

    // Said once, then None; a list choice falls back, the firmware button sends nothing.
    void withoutAKeypad() {
        start("absent=1");
        QCOMPARE(takeBoxes(), QList{warningBox("Vorla Quillon™ not connected..\n")});
        QCOMPARE(statusLines(), kNoneLines);
        QCOMPARE(list("ledBrightnessCbox")->currentIndex(), -1);
        QCOMPARE(list("ledBrightnessCbox")->placeholderText(), QString("LED Brightness"));
        QCOMPARE(list("keypadTypeCbox")->placeholderText(), QString("Keypad - Layout"));
        QCOMPARE(list("buzzerPeriodCbox")->placeholderText(), QString("Buzzer Period"));
        QCOMPARE(enabledControls(), kWithoutKeypad);
        choose("ledBrightnessCbox", 6);
        QCOMPARE(world->shownTexts(), QStringList({"Unable to set the LED Brightness..\n"}));
        QCOMPARE(list("ledBrightnessCbox")->currentText(), QString("LED Brightness - 0"));
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        click("btnLoadFirmware");
        QCOMPARE(world->shownTexts(),
                 QStringList({"Unable to get device status information\n",
                              "Are you sure you want to upgrade the firmware?"}));
        QCOMPARE(enabledControls(), kWithoutKeypad);
        QCOMPARE(statusLines(), kNoneLines);
        QCOMPARE(world->changesSent(), std::vector<SentCommand>());
        // A keypad that is there but silent gives no message.
        start("keys=8", false);
        world->keypad().faults.noReply = true;
        form->Form1_Load();
        QCOMPARE(world->shownTexts(), QStringList());
        QCOMPARE(statusLines(), kNoneLines);
    }

    // Scan opens the keypad afresh; once one was read, its options gate the lists.
    void scanOpensAfreshAndTheOptionsGateTheLists() {
        start("keys=8,options=7");
        int opens = world->counting->opens;
        world->keypad().variant().serialNumber = "QK0000055555";
        click("button11");
        QCOMPARE(world->counting->opens.load(), opens + 1);
        QCOMPARE(statusLines()[2], QString("Serial Number          -    QK0000055555"));
        world->keypad().faults.noReply = true;
        click("button11");
        QCOMPARE(enabledControls(), QStringList({"button11", "btnLoadFirmware", "button10"}));
    }

    // A choice the keypad takes is sent and kept; a refused one is said and goes back to it.
    void listChoicesSendTheirCommandOrGoBack_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("entry");
        QTest::addColumn<SentCommand>("sent");
        QTest::addColumn<int>("refused");
        QTest::addColumn<QString>("message");
        QTest::addRow("LedBrightness")
            << "ledBrightnessCbox" << 3 << SentCommand{Command::LedBrightness, {3}} << 2
            << "Unable to set the LED Brightness..\n";
        QTest::addRow("LedColour") << "ledColourCbox" << 0 << SentCommand{Command::LedColour, {0}}
                                   << 0 << "Unable to set LED colour..\n";
        QTest::addRow("Buzzer") << "buzzerCbox" << 0 << SentCommand{Command::Buzzer, {0}} << 1
                                << "Unable to set Buzzer On/Off..\n";
        QTest::addRow("BuzzerPeriodIsTheEntryPlusOne")
            << "buzzerPeriodCbox" << 4 << SentCommand{Command::BuzzerPeriod, {5}} << 7
            << "Unable to set Buzzer Period..\n";
        QTest::addRow("KeypadType")
            << "keypadTypeCbox" << 1 << SentCommand{Command::KeypadType, {1}} << 2
            << "Unable to set Keypad Type..\n";
    }
    void listChoicesSendTheirCommandOrGoBack() {
        QFETCH(QString, name);
        QFETCH(int, entry);
        QFETCH(SentCommand, sent);
        QFETCH(int, refused);
        QFETCH(QString, message);
        start();
        choose(qPrintable(name), entry);
        QCOMPARE(world->changesSent(), std::vector{sent});
        QCOMPARE(world->shownTexts(), QStringList());
        QStringList before = statusLines();
        world->keypad().faults.refuse = true;
        choose(qPrintable(name), refused);
        QCOMPARE(world->shownTexts(), QStringList({message}));
        QCOMPARE(list(qPrintable(name))->currentIndex(), entry);
        QCOMPARE(statusLines(), before);
    }

    // A 16-key keypad is configured in its own family's terms, up to its own editor.
    void aSixteenKeyKeypadIsShownAndCustomisedAsOne() {
        start("keys=16");
        QVERIFY(statusLines()[1].contains("16Way Keypad"));
        QVERIFY(statusLines()[1].endsWith("Default      Table"));
        choose("keypadTypeCbox", 2);
        QCOMPARE(world->changesSent(), std::vector<SentCommand>({{Command::KeypadType, {8}}}));
        QCOMPARE(list("keypadTypeCbox")->currentText(), QString("Customise Table"));
        QVERIFY(statusLines()[1].endsWith("Code Table Loaded     -   Customise Table"));
        click("button1");
        QCOMPARE(visibleWindows().size(), 1);
        QCOMPARE(visibleWindows()[0]->windowTitle(), QString("Customise 16 Way Keypad Table"));
    }

    // The window follows the keypad's cable without a word, every time: gone (its handle closed),
    // then back with one status read.
    void unpluggedAndReplugged() {
        start();
        auto& bus = world->bus();
        for (int round = 1; round <= 2; ++round) {
            bus.detach(world->simulation.keypad.get());
            QTRY_COMPARE_WITH_TIMEOUT(statusLines(), kNoneLines, 5000);
            QVERIFY2(hid_handle == nullptr, qPrintable(QString("removal %1").arg(round)));
            QVERIFY(!find("button8")->isEnabled());
            bus.attach(world->simulation.keypad);
            QTRY_VERIFY_WITH_TIMEOUT(statusLines()[0].contains("Quillon"), 5000);
            QVERIFY(find("button8")->isEnabled());
        }
        QCOMPARE(world->shownTexts(), QStringList());
        QCOMPARE(find<QStatusBar>("statusStrip1")->currentMessage(), QString("Keypad connected"));
    }

    // Gone, each list follows its own option bits: brightness fitted (2) is held, colour is not.
    void disconnectedViewGatesEachListOnItsOwnBits() {
        start("keys=8,options=2");
        world->bus().detach(world->simulation.keypad.get());
        QTRY_COMPARE_WITH_TIMEOUT(statusLines(), kNoneLines, 5000);
        QCOMPARE(list("ledBrightnessCbox")->isEnabled(), false);
        QCOMPARE(list("ledColourCbox")->isEnabled(), true);
    }

    void typedCharactersAreSwallowedButNavigationWorks() {
        start();
        QComboBox* box = list("ledBrightnessCbox");
        box->setFocus();
        QTest::keyClicks(box, "9 x");
        QCOMPARE(world->changesSent(), std::vector<SentCommand>());
        QCOMPARE(box->currentIndex(), 5);
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(world->changesSent(), std::vector<SentCommand>({{Command::LedBrightness, {9}},
                                                                 {Command::LedBrightness, {8}}}));
    }

    // The keypad is read again after the reset; one that stays away is said to be gone.
    void factoryReset() {
        start("keys=8,brightness=2");
        world->keypad().current().ledBrightness = 8;
        click("button9");
        QCOMPARE(world->changesSent(), std::vector<SentCommand>({{Command::FactoryReset, {}}}));
        QCOMPARE(list("ledBrightnessCbox")->currentText(), QString("LED Brightness - 2"));
        QVERIFY(world->clock->waits > 0);
        world->keypad().faults.stayAwayAfterReset = true;
        click("button9");
        QCOMPARE(takeBoxes(), QList({warningBox("Vorla Quillon™ not connected..\n"),
                                     warningBox("Please power off/on the Quillon™.\n")}));
        QCOMPARE(statusLines(), kNoneLines);
        QCOMPARE(world->clock->waitsWithoutBusyCursor, 0);
    }

    // The file's every key is the save job's; here that it is this keypad's snapshot.
    void saveChangesWritesDefaultsThenTheSnapshot() {
        start("keys=8,brightness=4");
        click("button8");
        QCOMPARE(world->changesSent(), std::vector<SentCommand>({{Command::WriteDefaults, {}}}));
        QVERIFY(fileBytes(world->settingsFile()).find(" LedBrightness=4\r\n") != std::string::npos);
    }

    // The menu items reach their jobs: a cancelled export, an import of a wrongly named file.
    void fileMenuItems_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("chooses");
        QTest::addColumn<QString>("message");
        QTest::addRow("ExportCancelled")
            << "exitToolStripMenuItem" << false << "Unable to save the cfg file.\n";
        QTest::addRow("ImportOfAWronglyNamedFile")
            << "aboutVorlaUSBEncoderConfiguratorToolStripMenuItem" << true
            << "Incorrect Filename.\n";
    }
    void fileMenuItems() {
        QFETCH(QString, item);
        QFETCH(bool, chooses);
        QFETCH(QString, message);
        start();
        std::string chosen = world->folder.write("usbutilityquilloncfg.ini", "[appSettings]\n");
        FileDialogs::setNextFile(chooses ? std::optional(QString::fromStdString(chosen))
                                         : std::nullopt);
        FileDialogs::setNextFolder(std::nullopt);
        find<QAction>(qPrintable(item))->trigger();
        QCOMPARE(world->shownTexts(), QStringList({message}));
        QCOMPARE(world->changesSent(), std::vector<SentCommand>());
    }

    // Every way out closes the keypad it has open.
    void everyWayOutQuitsOnce_data() {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<QString>("control");  // "": the title bar
        QTest::addColumn<int>("deviceCalls");  // that it may make; -1: any
        QTest::addColumn<bool>("keypadOpen");  // left open
        QTest::addRow("ExitMenuItem") << "keys=8"
                                      << "exitToolStripMenuItem1" << -1 << false;
        QTest::addRow("ExitButtonWithoutAKeypad") << "absent=1"
                                                  << "button10" << 0 << false;
        QTest::addRow("TitleBar") << "keys=8"
                                  << "" << -1 << false;
    }
    void everyWayOutQuitsOnce() {
        QFETCH(QString, spec);
        QFETCH(QString, control);
        QFETCH(int, deviceCalls);
        QFETCH(bool, keypadOpen);
        start(spec.toStdString());
        int calls = world->counting->calls;
        if (control.isEmpty()) {
            form->show();
            form->close();
        } else if (auto* item = child<QAction>(form.get(), control)) {
            item->trigger();
        } else {
            click(qPrintable(control));
        }
        QCOMPARE(quits, 1);
        QCOMPARE(hid_handle != nullptr, keypadOpen);
        if (deviceCalls >= 0) {
            QCOMPARE(world->counting->calls - calls, deviceCalls);
        }
    }

    // Answered No it sends nothing; Yes captures the settings and enters the loader.
    void firmwareButton() {
        start("keys=8,serial=QK0000031415,brightness=3");
        click("btnLoadFirmware");
        QCOMPARE(takeBoxes(), QList{questionBox("Are you sure you want to upgrade the firmware?",
                                                "Firmware Upgrade")});
        QCOMPARE(world->changesSent(), std::vector<SentCommand>());
        QVERIFY(!std::filesystem::exists(upgradeBackupPath(world->settingsFile())));
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        find<QPushButton>("btnLoadFirmware")->setFocus();
        QTest::keyClick(find<QPushButton>("btnLoadFirmware"), Qt::Key_Space);
        QCOMPARE(world->changesSent(), std::vector<SentCommand>({{Command::UpgradeMode, {}}}));
        QVERIFY(upgradeCapture().keypad.has_value());
        QCOMPARE(upgradeCapture().keypad->serialNumber, std::string("QK0000031415"));
        QCOMPARE(upgradeCapture().keypad->ledBrightness, uint8_t(3));
        QVERIFY(find("button8")->isEnabled());
        std::string problem;
        auto kept = readUpgradeBackup(upgradeBackupPath(world->settingsFile()), problem);
        QVERIFY2(kept.has_value(), problem.c_str());
        QCOMPARE(kept->serialNumber, std::string("QK0000031415"));
    }

    void customiseOpensAnEditorOnlyForACustomisedTableJustRead_data() {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<int>("editors");
        QTest::addRow("DefaultTable")
            << "keys=8" << false << QStringList{"Please select a customise table..\n"} << 0;
        QTest::addRow("CustomisedTable") << "keys=8,type=2" << false << QStringList{} << 1;
        QTest::addRow("KeypadSilent")
            << "keys=8,type=2" << true << QStringList{"Load Table-Unable to get device status..\n"}
            << 0;
    }
    void customiseOpensAnEditorOnlyForACustomisedTableJustRead() {
        QFETCH(QString, spec);
        QFETCH(bool, silent);
        QFETCH(QStringList, shown);
        QFETCH(int, editors);
        start(spec.toStdString());
        world->keypad().faults.noReply = silent;
        click("button1");
        QCOMPARE(world->shownTexts(), shown);
        QCOMPARE(visibleWindows().size(), editors);
    }

    void everyControlIsNamedForScreenReadersAndInTabOrder() {
        start();
        const QStringList expected = QStringList({"richTextBox1"}) + kControls;
        for (const QString& name : expected) {
            QWidget* widget = find(qPrintable(name));
            QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(name));
            QVERIFY2(!widget->accessibleDescription().isEmpty(), qPrintable(name));
            QVERIFY2(widget->focusPolicy() & Qt::TabFocus, qPrintable(name));
        }
        QStringList reached;
        QWidget* widget = find("richTextBox1");
        do {
            if (expected.contains(widget->objectName()) &&
                !reached.contains(widget->objectName())) {
                reached << widget->objectName();
            }
            widget = widget->nextInFocusChain();
        } while (widget != find("richTextBox1"));
        QCOMPARE(reached, expected);
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
