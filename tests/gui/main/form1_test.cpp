// The main window against the simulated keypad: load, views, enable rule, lists, resets,
// files, exits and the firmware button.
#include <QAction>
#include <QPushButton>
#include <QStatusBar>
#include <QTextEdit>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "gui/main/form1.h"
#include "gui_world.h"
#include "upgrade/upgrade_capture.h"
#include "upgrade/upgrade_mode.h"

using namespace lumora_usb_encoder;
using namespace lumora_usb_encoder::testing;

namespace {

const QStringList kNoneLines = {
    "Device Connected   -    None                                Firmware Version        -   None",
    "Keypad Selected     -    None                                Code Table Loaded     -   None",
    "Serial Number          -    None"};
const char* const kFunctionControls[] = {"keypadTypeCbox", "button1", "button8",
                                         "button9",        "button3", "button2"};
const char* const kAlwaysUsable[] = {"button11", "button10", "btnLoadFirmware"};

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<GuiWorld> world;
    std::unique_ptr<Form1> form;
    int quits = 0;

    void start(const std::string& spec = "keys=8", bool load = true) {
        world = std::make_unique<GuiWorld>(spec);
        form = std::make_unique<Form1>(world->settingsFile());
        form->setQuitAction([this] { ++quits; });
        if (load) {
            form->Form1_Load();
        }
    }
    template <typename T = QWidget>
    T* find(const char* name) {
        T* widget = child<T>(form.get(), name);
        if (widget == nullptr) {
            qFatal("no control named %s", name);
        }
        return widget;
    }
    QComboBox* list(const char* name) { return find<QComboBox>(name); }
    QStringList statusLines() { return find<QTextEdit>("richTextBox1")->toPlainText().split('\n'); }
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
        for (const char* name :
             {"ledBrightnessCbox", "ledColourCbox", "buzzerCbox", "buzzerPeriodCbox",
              "keypadTypeCbox", "button1", "button8", "button9", "button2"}) {
            QVERIFY2(!find(name)->isEnabled(), name);
        }
        for (const char* name : {"button11", "button3", "btnLoadFirmware", "button10"}) {
            QVERIFY2(find(name)->isEnabled(), name);
        }
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
        for (const char* name : kFunctionControls) {
            QVERIFY2(find(name)->isEnabled(), name);
        }
    }

    void statusRecordFields_data() {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("ending");
        QTest::newRow("period 0 shows period 2") << "period=0" << -1 << "Buzzer Period -2";
        QTest::newRow("16 keys, version after the longest table")
            << "keys=16,type=7,version=7.7" << 0 << "-   7.7";
        QTest::newRow("5-way variant")
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

    void noKeypadSaysSoOnceThenShowsNone() {
        start("absent=1");
        auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].text, QString("Vorla Quillon™ not connected..\n"));
        QCOMPARE(shown[0].caption, QString("Vorla Quillon™"));
        QCOMPARE(shown[0].icon, MessageBox::Icon::Exclamation);
        QCOMPARE(shown[0].buttons, MessageBox::Buttons::Ok);
        QCOMPARE(statusLines(), kNoneLines);
        QCOMPARE(list("ledBrightnessCbox")->currentIndex(), -1);
        QCOMPARE(list("ledBrightnessCbox")->placeholderText(), QString("LED Brightness"));
        QCOMPARE(list("keypadTypeCbox")->placeholderText(), QString("Keypad - Layout"));
        QCOMPARE(list("buzzerPeriodCbox")->placeholderText(), QString("Buzzer Period"));
        for (const char* name : kFunctionControls) {
            QVERIFY2(!find(name)->isEnabled(), name);
        }
        // The load clears the options byte, so no list is gated off.
        for (const char* name : {"ledBrightnessCbox", "ledColourCbox", "buzzerCbox",
                                 "buzzerPeriodCbox", "button11", "button10", "btnLoadFirmware"}) {
            QVERIFY2(find(name)->isEnabled(), name);
        }
    }

    void aSilentKeypadGivesNoMessage() {
        start("keys=8", false);
        world->simulation.keypad->faults.noReply = true;
        form->Form1_Load();
        QCOMPARE(world->shownTexts(), QStringList());
        QCOMPARE(statusLines(), kNoneLines);
    }

    void optionsGateTheListsOnceAKeypadWasRead() {
        start("keys=8,options=7");
        world->simulation.keypad->faults.noReply = true;
        click("button11");
        for (const char* name :
             {"ledBrightnessCbox", "ledColourCbox", "buzzerCbox", "buzzerPeriodCbox"}) {
            QVERIFY2(!find(name)->isEnabled(), name);
        }
        for (const char* name : kAlwaysUsable) {
            QVERIFY2(find(name)->isEnabled(), name);
        }
    }

    void scanWhileConnectedOpensTheKeypadAfresh() {
        start();
        int opens = world->counting->opens;
        world->simulation.keypad->variant().serialNumber = "QK0000055555";
        click("button11");
        QCOMPARE(world->counting->opens.load(), opens + 1);
        QCOMPARE(statusLines()[2], QString("Serial Number          -    QK0000055555"));
    }

    void listChoicesSendTheirCommand_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("payload");
        QTest::newRow("brightness") << "ledBrightnessCbox" << 3 << 2 << 3;
        QTest::newRow("colour") << "ledColourCbox" << 0 << 3 << 0;
        QTest::newRow("buzzer") << "buzzerCbox" << 0 << 4 << 0;
        QTest::newRow("period 5 sends 5") << "buzzerPeriodCbox" << 4 << 6 << 5;
        QTest::newRow("table") << "keypadTypeCbox" << 1 << 7 << 1;
    }
    void listChoicesSendTheirCommand() {
        QFETCH(QString, name);
        QFETCH(int, entry);
        QFETCH(int, command);
        QFETCH(int, payload);
        start();
        choose(qPrintable(name), entry);
        QCOMPARE(world->settingsSent(),
                 std::vector<SentCommand>({{command, {static_cast<uint8_t>(payload)}}}));
        QCOMPARE(list(qPrintable(name))->currentIndex(), entry);
        QCOMPARE(world->shownTexts(), QStringList());
    }

    void aChoiceIsRememberedAsAccepted() {
        start();
        choose("buzzerPeriodCbox", 4);
        QCOMPARE(form->fields().prev_buzzerPeriod_index, 4);
    }

    void aRefusedChoiceSaysSoAndGoesBack_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("message");
        QTest::newRow("brightness")
            << "ledBrightnessCbox" << 2 << "Unable to set the LED Brightness..";
        QTest::newRow("colour") << "ledColourCbox" << 0 << "Unable to set LED colour..";
        QTest::newRow("buzzer") << "buzzerCbox" << 0 << "Unable to set Buzzer On/Off..";
        QTest::newRow("period") << "buzzerPeriodCbox" << 7 << "Unable to set Buzzer Period..";
        QTest::newRow("table") << "keypadTypeCbox" << 2 << "Unable to set Keypad Type..";
    }
    void aRefusedChoiceSaysSoAndGoesBack() {
        QFETCH(QString, name);
        QFETCH(int, entry);
        QFETCH(QString, message);
        start("keys=8,brightness=5,period=3,buzzer=1");
        QComboBox* box = list(qPrintable(name));
        int accepted = box->currentIndex();
        QStringList before = statusLines();
        world->simulation.keypad->faults.refuse = true;
        choose(qPrintable(name), entry);
        QCOMPARE(world->shownTexts(), QStringList({message + "\n"}));
        QCOMPARE(box->currentIndex(), accepted);
        QCOMPARE(statusLines(), before);
    }

    void aChoiceWithoutKeypadFallsBackToTheLastAcceptedEntry() {
        start("absent=1");
        world->shownTexts();
        choose("ledBrightnessCbox", 6);
        QCOMPARE(world->shownTexts(), QStringList({"Unable to set the LED Brightness..\n"}));
        QCOMPARE(list("ledBrightnessCbox")->currentText(), QString("LED Brightness - 0"));
    }

    void customiseTableChangesTheSecondLine() {
        start();
        choose("keypadTypeCbox", 2);
        QCOMPARE(world->settingsSent(), std::vector<SentCommand>({{7, {2}}}));
        QVERIFY(statusLines()[1].endsWith("Code Table Loaded     -   Customise Table"));
    }

    // A 16-key keypad is configured in its own family's terms, up to its own editor.
    void aSixteenKeyKeypadIsShownAndCustomisedAsOne() {
        start("keys=16");
        QVERIFY(statusLines()[1].contains("16Way Keypad"));
        QVERIFY(statusLines()[1].endsWith("Default      Table"));
        choose("keypadTypeCbox", 2);
        QCOMPARE(world->settingsSent(), std::vector<SentCommand>({{7, {8}}}));
        QCOMPARE(list("keypadTypeCbox")->currentText(), QString("Customise Table"));
        click("button1");
        QStringList titles;
        for (QWidget* widget : form->findChildren<QWidget*>()) {
            if (widget->isWindow() && widget->isVisible()) {
                titles << widget->windowTitle();
            }
        }
        QCOMPARE(titles, QStringList({"Customise 16 Way Keypad Table"}));
    }

    // The window follows the keypad's cable without a word: gone, then back with one status read.
    void unpluggedAndReplugged() {
        start();
        auto& bus = *world->simulation.bus;
        bus.detach(world->simulation.keypad.get());
        QTRY_COMPARE_WITH_TIMEOUT(statusLines(), kNoneLines, 5000);
        QVERIFY(!find("button8")->isEnabled());
        bus.attach(world->simulation.keypad);
        QTRY_VERIFY_WITH_TIMEOUT(statusLines()[0].contains("Quillon"), 5000);
        QVERIFY(find("button8")->isEnabled());
        QCOMPARE(world->shownTexts(), QStringList());
        QCOMPARE(find<QStatusBar>("statusStrip1")->currentMessage(), QString("Keypad connected"));
    }

    void typedCharactersAreSwallowedButNavigationWorks() {
        start();
        QComboBox* box = list("ledBrightnessCbox");
        box->setFocus();
        QTest::keyClicks(box, "9 x");
        QCOMPARE(world->settingsSent(), std::vector<SentCommand>());
        QCOMPARE(box->currentIndex(), 5);
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(world->settingsSent(), std::vector<SentCommand>({{2, {9}}, {2, {8}}}));
    }

    void programSelectionsSendNothing() {
        start();
        click("button11");
        list("buzzerCbox")->setCurrentIndex(0);
        QCOMPARE(world->settingsSent(), std::vector<SentCommand>());
    }

    void factoryResetReadsTheKeypadAgain() {
        start("keys=8,brightness=2");
        world->simulation.keypad->current().ledBrightness = 8;
        click("button9");
        QCOMPARE(world->settingsSent(), std::vector<SentCommand>({{10, {}}}));
        QCOMPARE(list("ledBrightnessCbox")->currentText(), QString("LED Brightness - 2"));
        QCOMPARE(world->clock->waitsWithoutBusyCursor, 0);
        QVERIFY(world->clock->waits > 0);
    }

    void factoryResetWithAKeypadThatStaysAway() {
        start();
        world->simulation.keypad->faults.stayAwayAfterReset = true;
        click("button9");
        auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), size_t(2));
        QCOMPARE(shown[0].text, QString("Vorla Quillon™ not connected..\n"));
        QCOMPARE(shown[1].text, QString("Please power off/on the Quillon™.\n"));
        QVERIFY2(!shown[0].busyCursor && !shown[1].busyCursor, "a message under the busy cursor");
        QCOMPARE(statusLines(), kNoneLines);
        QCOMPARE(world->clock->waitsWithoutBusyCursor, 0);
    }

    void saveChangesWritesDefaultsThenTheSnapshot() {
        start("keys=8,brightness=4,period=6");
        click("button8");
        QCOMPARE(world->settingsSent(), std::vector<SentCommand>({{9, {}}}));
        std::string saved = fileBytes(world->settingsFile());
        for (const char* line : {" FirstUp=Yes", " LedBrightness=4", " BuzzerPeriod=5",
                                 " SerialNumber=QK0000012345"}) {
            QVERIFY2(saved.find(line) != std::string::npos, line);
        }
    }

    void saveChangesRefusedLeavesTheFileAlone() {
        start();
        std::string before = fileBytes(world->settingsFile());
        world->simulation.keypad->faults.refuse = true;
        click("button8");
        QCOMPARE(world->shownTexts(), QStringList({"Unable to Write Default..\n"}));
        QCOMPARE(fileBytes(world->settingsFile()), before);
    }

    void resetFromAFirstRunFileSendsNothing() {
        start();
        world->written.clear();
        click("button3");
        QCOMPARE(world->settingsSent(), std::vector<SentCommand>());
        QCOMPARE(world->shownTexts(), QStringList());
        QVERIFY(statusLines()[0].endsWith("Firmware Version        -   7.2"));
    }

    void fileMenuFlows_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("chosen");  // "" cancels the dialog
        QTest::addColumn<bool>("targetExists");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("export cancelled")
            << "exitToolStripMenuItem"
            << "" << false << QStringList({"Unable to save the cfg file.\n"});
        QTest::newRow("export overwrite declined")
            << "exitToolStripMenuItem"
            << "." << true
            << QStringList(
                   {"USBUtilityQuillonCfg.ini file already exists. Do you want to overwrite it?"});
        QTest::newRow("import wrong name")
            << "aboutVorlaUSBEncoderConfiguratorToolStripMenuItem"
            << "usbutilityquilloncfg.ini" << true << QStringList({"Incorrect Filename.\n"});
    }
    void fileMenuFlows() {
        QFETCH(QString, item);
        QFETCH(QString, chosen);
        QFETCH(bool, targetExists);
        QFETCH(QStringList, messages);
        start();
        const std::string folder = world->folder.path().string();
        const std::string target = world->folder.file(
            chosen.endsWith(".ini") ? chosen.toStdString() : "USBUtilityQuillonCfg.ini");
        if (targetExists) {
            std::ofstream(target) << "[appSettings]\nFirstUp=Yes\nKeypadLayout=1\n";
        }
        std::optional<QString> answer;
        if (!chosen.isEmpty()) {
            answer = QString::fromStdString(chosen.endsWith(".ini") ? target : folder);
        }
        FileDialogs::setNextFile(answer);
        FileDialogs::setNextFolder(answer);
        find<QAction>(qPrintable(item))->trigger();
        QCOMPARE(world->shownTexts(), messages);
        QCOMPARE(world->settingsSent(), std::vector<SentCommand>());
        if (targetExists) {
            QCOMPARE(fileBytes(target),
                     std::string("[appSettings]\nFirstUp=Yes\nKeypadLayout=1\n"));
        }
    }

    // Exit closes the keypad it has open; the title bar leaves it to the program's end.
    void everyWayOutQuitsOnce() {
        const struct {
            const char* spec;
            const char* control;  // "" : the title bar
            int deviceCalls;      // -1: any
            bool keypadOpen;
        } cases[] = {{"keys=8", "exitToolStripMenuItem1", -1, false},
                     {"absent=1", "button10", 0, false},
                     {"keys=8", "", -1, true}};
        for (const auto& c : cases) {
            start(c.spec);
            int calls = world->counting->calls;
            if (*c.control == '\0') {
                form->show();
                form->close();
            } else if (auto* item = child<QAction>(form.get(), c.control)) {
                item->trigger();
            } else {
                click(c.control);
            }
            QCOMPARE(quits, 1);
            QCOMPARE(hid_handle != nullptr, c.keypadOpen);
            if (c.deviceCalls >= 0) {
                QCOMPARE(world->counting->calls - calls, c.deviceCalls);
            }
            cleanup();
            init();
        }
    }

    void firmwareButtonAnsweredNoSendsNothing() {
        start();
        click("btnLoadFirmware");
        auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].text, QString("Are you sure you want to upgrade the firmware?"));
        QCOMPARE(shown[0].caption, QString("Firmware Upgrade"));
        QCOMPARE(shown[0].icon, MessageBox::Icon::Question);
        QCOMPARE(shown[0].buttons, MessageBox::Buttons::YesNo);
        QCOMPARE(world->settingsSent(), std::vector<SentCommand>());
        QVERIFY(!std::filesystem::exists(upgradeBackupPath(world->settingsFile())));
    }

    void firmwareButtonCapturesAndEntersTheLoader() {
        start("keys=8,serial=QK0000031415,brightness=3");
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        find<QPushButton>("btnLoadFirmware")->setFocus();
        QTest::keyClick(find<QPushButton>("btnLoadFirmware"), Qt::Key_Space);
        QCOMPARE(world->settingsSent(), std::vector<SentCommand>({{12, {}}}));
        QVERIFY(upgradeCapture().has_value());
        QCOMPARE(upgradeCapture()->serialNumber, std::string("QK0000031415"));
        QCOMPARE(upgradeCapture()->ledBrightness, uint8_t(3));
        QVERIFY(find("button8")->isEnabled());
        std::string problem;
        auto kept = readUpgradeBackup(upgradeBackupPath(world->settingsFile()), problem);
        QVERIFY2(kept.has_value(), problem.c_str());
        QCOMPARE(kept->serialNumber, std::string("QK0000031415"));
    }

    void firmwareButtonWithoutKeypad() {
        start("absent=1");
        world->shownTexts();
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        QStringList before = statusLines();
        click("btnLoadFirmware");
        QCOMPARE(world->shownTexts(),
                 QStringList({"Unable to get device status information\n",
                              "Are you sure you want to upgrade the firmware?"}));
        for (const char* name : kFunctionControls) {
            QVERIFY2(!find(name)->isEnabled(), name);
        }
        QCOMPARE(statusLines(), before);
    }

    void customiseOpensAnEditorOnlyForACustomisedTableJustRead() {
        const struct {
            const char* spec;
            bool silent;
            QStringList shown;
            int editors;
        } cases[] = {{"keys=8", false, {"Please select a customise table..\n"}, 0},
                     {"keys=8,type=2", false, {}, 1},
                     {"keys=8,type=2", true, {"Load Table-Unable to get device status..\n"}, 0}};
        for (const auto& c : cases) {
            start(c.spec);
            world->simulation.keypad->faults.noReply = c.silent;
            click("button1");
            QCOMPARE(world->shownTexts(), c.shown);
            int editors = 0;
            for (QWidget* widget : form->findChildren<QWidget*>()) {
                editors += widget->isWindow() && widget->isVisible() ? 1 : 0;
            }
            QCOMPARE(editors, c.editors);
            cleanup();
            init();
        }
    }

    void everyControlIsNamedForScreenReadersAndInTabOrder() {
        start();
        const char* order[] = {"richTextBox1",    "button11",   "ledBrightnessCbox",
                               "ledColourCbox",   "buzzerCbox", "buzzerPeriodCbox",
                               "keypadTypeCbox",  "button1",    "button8",
                               "button9",         "button3",    "button2",
                               "btnLoadFirmware", "button10"};
        for (const char* name : order) {
            QWidget* widget = find(name);
            QVERIFY2(!widget->accessibleName().isEmpty(), name);
            QVERIFY2(!widget->accessibleDescription().isEmpty(), name);
            QVERIFY2(widget->focusPolicy() & Qt::TabFocus, name);
        }
        // The named controls, in the order Tab reaches them.
        QStringList expected;
        for (const char* name : order) {
            expected << name;
        }
        QStringList reached;
        QWidget* widget = find(order[0]);
        do {
            if (expected.contains(widget->objectName()) &&
                !reached.contains(widget->objectName())) {
                reached << widget->objectName();
            }
            widget = widget->nextInFocusChain();
        } while (widget != find(order[0]));
        QCOMPARE(reached, expected);
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
