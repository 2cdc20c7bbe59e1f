// The firmware upgrade window against the simulated keypad and loader, on the virtual clock.
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <thread>

#include "../gui_world.h"
#include "device/keypad_service.h"
#include "device/status_record.h"
#include "gui/main/form1.h"
#include "gui/upgrade/firmware_upgrade.h"
#include "settings/settings_file.h"
#include "sim/sim_loader.h"
#include "support/ini_file.h"
#include "upgrade/upgrade_capture.h"
#include "upgrade/upgrade_mode.h"

using namespace lumora_usb_encoder;
using namespace lumora_usb_encoder::testing;

namespace {

const QString kSample = QUILLON_SAMPLE_FIRMWARE;

// Holds the windows' loader counts at a gate, and counts them.
struct LoaderGate {
    void pass(uint16_t productId) {
        counted += productId == 0x0200 ? 1 : 0;
        while (productId == 0x0200 && closed) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    std::atomic<bool> closed = false;
    std::atomic<int> counted = 0;
};

}  // namespace

class FirmwareUpgradeTest : public QObject {
    Q_OBJECT

    std::unique_ptr<GuiWorld> world;
    std::unique_ptr<LoaderGate> gate;
    std::unique_ptr<firmware_upgrade> window;
    std::unique_ptr<Form1> form;

    void makeWorld(const std::string& spec) {
        world = std::make_unique<GuiWorld>(spec, WorldOptions{.loader = true});
        gate = std::make_unique<LoaderGate>();
        world->counting->beforeEnumerate = [held = gate.get()](uint16_t id) { held->pass(id); };
        ensureSettingsFile(world->settingsFile());
    }
    std::shared_ptr<sim::SimLoader> anotherLoader() {
        return std::make_shared<sim::SimLoader>(world->simulation.bus, world->simulation.keypad);
    }
    void addLoaders(int count) {
        for (int i = 0; i < count; ++i) {
            world->bus().attach(anotherLoader(), 0);
        }
    }
    void open() {
        window = std::make_unique<firmware_upgrade>(std::make_shared<KeypadService>(),
                                                    world->settingsFile());
        window->show();
    }
    template <typename T = QWidget>
    T* find(const char* name) {
        return child<T>(window.get(), name);
    }
    QString label() { return find<QLabel>("labelNumOfDevices")->text(); }
    QString log() { return find<QPlainTextEdit>("statusBox")->toPlainText(); }
    // The main window's firmware button, answered Yes; the test keeps the window it opens.
    bool pressFirmwareButton() {
        form = std::make_unique<Form1>(world->settingsFile());
        form->Form1_Load();
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        QTest::mouseClick(child<QPushButton>(form.get(), "btnLoadFirmware"), Qt::LeftButton);
        for (auto* opened : visibleWindows<firmware_upgrade>()) {
            opened->setAttribute(Qt::WA_DeleteOnClose, false);
            window.reset(opened);
        }
        return window != nullptr;
    }
    bool sent(const SentCommand& command) {
        auto all = world->changesSent();
        return std::find(all.begin(), all.end(), command) != all.end();
    }
    void upgradeWith(const QString& image) {
        QTRY_COMPARE(label(), QString("Found 1 device"));
        FileDialogs::setNextFile(image);
        QTest::mouseClick(find<QPushButton>("btnBrowse"), Qt::LeftButton);
        QTest::mouseClick(find<QPushButton>("btnUpgrade"), Qt::LeftButton);
    }

  private slots:
    void cleanup() {
        if (gate) {
            gate->closed = false;  // a failed check must not leave a worker held at the gate
        }
        window.reset();
        form.reset();
        world.reset();
        gate.reset();
        upgradeCapture() = {};
    }

    void countsTheLoadersPresent_data() {
        QTest::addColumn<int>("loaders");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("usable");
        QTest::addRow("None") << 0 << "No device connected" << false;
        QTest::addRow("One") << 1 << "Found 1 device" << true;
        QTest::addRow("Three") << 3 << "Found 3 devices" << true;
    }
    void countsTheLoadersPresent() {
        QFETCH(int, loaders);
        QFETCH(QString, shown);
        QFETCH(bool, usable);
        makeWorld("keys=8");
        addLoaders(loaders);
        open();
        QCOMPARE(label(), QString("Searching for devices"));
        QTRY_COMPARE(label(), shown);
        QCOMPARE(find("btnBrowse")->isEnabled(), usable);
        QCOMPARE(find("btnUpgrade")->isEnabled(), usable);
        QCOMPARE(find<QLabel>("vidLbl")->text(), QString("0x2047"));
        QCOMPARE(find<QLabel>("pidLbl")->text(), QString("0x0200"));
        // Each run's log starts afresh.
        for (int run = 0; usable && run < 2; ++run) {
            QTest::mouseClick(find<QPushButton>("btnUpgrade"), Qt::LeftButton);
            QVERIFY(!find("btnUpgrade")->isEnabled());  // this run began
            QTRY_COMPARE(log(), QString("Starting\nNo file specified\n"));
            QTRY_VERIFY(find("btnUpgrade")->isEnabled());
        }
    }

    void anArrivalDuringACountCountsOnceMore() {
        makeWorld("keys=8");
        gate->closed = true;
        open();
        QTRY_COMPARE(gate->counted.load(), 1);
        addLoaders(1);  // the bus tells the window while its count is held
        QTRY_VERIFY(window->scanDeviceAgain);
        gate->closed = false;
        QTRY_COMPARE(gate->counted.load(), 2);
        QTRY_COMPARE(label(), QString("Found 1 device"));
        QTest::qWait(100);
        QCOMPARE(gate->counted.load(), 2);  // one more, not more than one
    }

    void upgradesThroughTheWindowAndRestoresTheSettings() {
        makeWorld("keys=8,brightness=6,period=4,serial=QK0000027182");
        QVERIFY(pressFirmwareButton());
        world->forgetSent();
        Sleep(world->loader->timing.restartMs + 50);  // the keypad leaves for its loader
        std::vector<int> bar;
        connect(find<QProgressBar>("progressBar"), &QProgressBar::valueChanged, this,
                [&bar](int value) { bar.push_back(value); });
        upgradeWith(kSample);
        QCOMPARE(CIniFile::GetValue("FirmwareFile", kSettingsSection, world->settingsFile()),
                 std::string("sim-keypad-7.3.txt"));
        auto lastChange = [this] {
            auto all = world->changesSent();
            return all.empty() ? Command::Status : all.back().command;
        };
        QTRY_COMPARE_WITH_TIMEOUT(lastChange(), Command::WriteDefaults, 20000);
        QTRY_VERIFY2(log().endsWith("The keypad's settings read before the upgrade were written "
                                    "back.\n"),
                     qPrintable(log()));
        QVERIFY2(!log().contains("earlier upgrade"), qPrintable(log()));  // this upgrade's own
        QVERIFY2(log().startsWith("Starting\nPassword Sent Successfully\n"), qPrintable(log()));
        QVERIFY(log().contains("Done!"));
        QVERIFY(std::is_sorted(bar.begin(), bar.end()));
        QCOMPARE(bar.back(), 100);
        QCOMPARE(std::count(bar.begin(), bar.end(), 100), 1);
        auto programming = [](int v) { return v > 50 && v < 95; };
        QVERIFY(std::count_if(bar.begin(), bar.end(), programming) > 5);
        QVERIFY(sent({Command::BuzzerPeriod, {4}}));  // period index 3 goes back as the period 4
        QVERIFY(sent({Command::LedBrightness, {6}}));
        auto status = readDeviceStatus();
        QVERIFY(status.has_value());
        QCOMPARE(status->firmwareVersion, std::string("7.3"));
        QCOMPARE(status->serialNumber, std::string("QK0000027182"));
        QCOMPARE(status->ledBrightness, uint8_t(6));
    }

    void finishesFromALoaderLeftBehindWithTheBackupsSettings() {
        makeWorld("keys=8,brightness=2");
        RecordingUi quiet;
        QVERIFY(rescanKeypad(quiet));
        auto before = readKeypadSettings();
        QVERIFY(before.has_value());
        before->ledBrightness = 7;  // what the keypad held before the interrupted upgrade
        std::string backup = upgradeBackupPath(world->settingsFile());
        QVERIFY(writeUpgradeBackup(backup, *before, ""));
        world->enterLoader();
        QVERIFY(pressFirmwareButton());
        world->forgetSent();
        upgradeWith(kSample);
        QTRY_VERIFY_WITH_TIMEOUT(sent({Command::WriteDefaults, {}}), 20000);
        QVERIFY(sent({Command::LedBrightness, {7}}));
        QTRY_VERIFY(!std::filesystem::exists(backup));
        QVERIFY2(log().contains(QString::fromStdString("Using the settings saved before an earlier "
                                                       "upgrade: " +
                                                       backup + "\n")),
                 qPrintable(log()));
        QVERIFY2(
            log().endsWith("The settings saved before an earlier upgrade were written back.\n"),
            qPrintable(log()));
    }

    void closingDuringTheUpgradeIsRefused() {
        makeWorld("keys=8");
        world->enterLoader();
        open();
        QTRY_COMPARE(label(), QString("Found 1 device"));
        FileDialogs::setNextFile(kSample);
        QTest::mouseClick(find<QPushButton>("btnBrowse"), Qt::LeftButton);
        gate->closed = true;  // the upgrade's own loader check waits here
        QTest::mouseClick(find<QPushButton>("btnUpgrade"), Qt::LeftButton);
        QTRY_COMPARE(gate->counted.load(), 2);
        QVERIFY(!window->close());
        QCOMPARE(world->shownTexts(),
                 QStringList({"The firmware upgrade is in progress. Close this window once it "
                              "has finished.\n"}));
        // A change during the upgrade: its count waits.
        auto passing = anotherLoader();
        world->bus().attach(passing, 0);
        world->bus().detach(passing.get());
        QTRY_VERIFY(window->scanDeviceAgain);
        QTest::qWait(100);  // time enough for a count that should not start
        QCOMPARE(gate->counted.load(), 2);
        gate->closed = false;
        QTRY_VERIFY2_WITH_TIMEOUT(log().contains("Done!"), qPrintable(log()), 20000);
    }

    void firmwareButtonRefusesWithoutARamLoader() {
        makeWorld("keys=8");
        world->counting->posesAsCable = true;
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(world->folder.file("empty")));
        QVERIFY(!pressFirmwareButton());
        qunsetenv("XDG_DATA_HOME");
        QStringList shown = world->shownTexts();
        QCOMPARE(shown.size(), 1);
        // The file on a line of its own: wrapped with the words before it, it broke at a dot.
        const QString file = QString::fromStdString(
            world->folder.file("empty/VorlaInterface/RAM_BSL.00.06.05.34.txt"));
        QStringList lines = shown[0].split('\n');
        QCOMPARE(lines.value(0), QString("RAM BSL image not found:"));
        QCOMPARE(lines.value(1), file);
        QCOMPARE(world->changesSent(), std::vector<SentCommand>());
    }
};

QTEST_MAIN(FirmwareUpgradeTest)
#include "firmware_upgrade_test.moc"
