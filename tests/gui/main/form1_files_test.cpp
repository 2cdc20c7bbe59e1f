// The main window meeting files it cannot use: a pending upgrade backup that cannot be used, a
// settings file "Reset From Configuration File" cannot read, a backup that cannot be written
// before an upgrade, an exchange file that holds no saved settings. Each is said, and nothing is
// sent or replaced unasked.
#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "../gui_world.h"
#include "common/lock_holder.h"
#include "gui/file_dialogs.h"
#include "gui/main/form1.h"
#include "gui/upgrade/firmware_upgrade.h"
#include "settings/config_files.h"

using namespace lumora_usb_encoder;
using namespace lumora_usb_encoder::testing;

namespace {

const QString kSaved =
    " [appSettings]\r\n SerialNumber=\r\n Options=6\r\n BuzzerPeriod=2\r\n Buzzer=1\r\n"
    " LedColour=0\r\n LedBrightness=3\r\n KeypadLayout=0\r\n FirstUp=Yes\r\n"
    " CodeTableValues=0,4,0,5,0,6,0,7,0,8,0,9,0,10,0,11,0,12,0,13,\r\n";

// Virtual time that lets another program's lock go once it reaches a moment.
class LettingGoClock final : public Clock {
  public:
    void sleep(uint32_t ms) override {
        time_.sleep(ms);
        std::function<void()> letGo;
        {
            std::lock_guard lock(mutex_);
            if (letGo_ && time_.tickCount() >= at_) {
                letGo = std::exchange(letGo_, nullptr);
            }
        }
        if (letGo) {
            letGo();
        }
    }
    uint32_t tickCount() override { return time_.tickCount(); }
    void letGoAt(uint32_t at, std::function<void()> letGo) {
        std::lock_guard lock(mutex_);
        at_ = at;
        letGo_ = std::move(letGo);
    }

  private:
    VirtualClock time_;
    std::mutex mutex_;
    uint32_t at_ = 0;
    std::function<void()> letGo_;
};

}  // namespace

class Form1FilesTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<World> world;
    std::unique_ptr<Form1> form;

    QString inFolder(QString text) {
        return text.replace("{dir}", QString::fromStdString(world->folder.path().string()));
    }
    void write(const QString& name, const QString& content) {
        if (name.isEmpty()) {
            return;
        }
        auto path = world->folder.path() / name.toStdString();
        std::filesystem::create_directories(path.parent_path());
        world->folder.write(name.toStdString(), content.toStdString());
    }

  private slots:
    void init() {
        world = std::make_unique<World>();
        MessageBox::setScripted(true);
        FileDialogs::setScripted(true);
    }
    void cleanup() {
        form.reset();
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (qobject_cast<firmware_upgrade*>(window) != nullptr) {
                delete window;
            }
        }
        world.reset();
        MessageBox::setScripted(false);
        FileDialogs::setScripted(false);
    }

    void saysWhatItCannotUse_data() {
        QTest::addColumn<QString>("settings");  // the settings file, in the scratch folder
        QTest::addColumn<QString>("file");      // a file put there before the window starts
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("control");  // clicked after the start ("": none)
        QTest::addColumn<QString>("said");
        const QString settings = "VorlaInterface/USBUtilityCfg.ini";
        const QString backup = "{dir}/VorlaInterface/UpgradeBackup.ini";
        QTest::newRow("backup that holds no saved settings")
            << settings << "VorlaInterface/UpgradeBackup.ini"
            << " [appSettings]\r\n FirstUp=\r\n"
            << ""
            << "The settings backup of an interrupted firmware upgrade cannot be used (" + backup +
                   " holds no saved settings); the settings it was to keep are "
                   "not written back.\n";
        QTest::newRow("backup with a brightness out of range")
            << settings << "VorlaInterface/UpgradeBackup.ini"
            << QString(kSaved).replace("LedBrightness=3", "LedBrightness=12") << ""
            << "The settings backup of an interrupted firmware upgrade cannot be used (" + backup +
                   ": bad value of LedBrightness); the settings it was to keep are not written "
                   "back.\n";
        QTest::newRow("reset from a file with carriage returns only")
            << settings << settings << "[appSettings]\rFirstUp=Yes\rOptions=6\r"
            << "button3"
            << "{dir}/" + settings +
                   " cannot be read as a settings file: it ends its lines in a carriage return "
                   "alone.\n";
        QTest::newRow("upgrade with no room for the backup")
            << "blocked/USBUtilityCfg.ini"
            << "blocked"
            << "a file where a folder would go"
            << "btnLoadFirmware"
            << "The settings backup cannot be written: {dir}/blocked/UpgradeBackup.ini\nNothing "
               "was sent to the keypad; the firmware upgrade was not started.\n";
    }
    void saysWhatItCannotUse() {
        QFETCH(QString, settings);
        QFETCH(QString, file);
        QFETCH(QString, content);
        QFETCH(QString, control);
        QFETCH(QString, said);
        write(file, content);
        form = std::make_unique<Form1>(inFolder("{dir}/" + settings).toStdString());
        form->Form1_Load();
        if (!control.isEmpty()) {
            MessageBox::setNextAnswer(MessageBox::Answer::Yes);  // to the upgrade's question
            QTest::mouseClick(form->findChild<QPushButton*>(control), Qt::LeftButton);
        }
        QStringList warnings;
        for (const auto& box : takeBoxes()) {
            if (box.icon == MessageBox::Icon::Exclamation) {
                warnings << box.text;
            }
        }
        QCOMPARE(warnings, QStringList{inFolder(said)});
        QCOMPARE(world->changesSent(), std::vector<SentCommand>());
    }

    // Save Changes waits for another program's lock on the settings file under the busy cursor,
    // and sends nothing when it is held for the whole wait.
    void saveChangesWaitsForAnotherProgramsLock_data() {
        QTest::addColumn<int>("letGoAfter");  // ms into the wait; 0: held throughout
        QTest::addRow("HeldForTheWholeWait") << 0;
        QTest::addRow("LetGoDuringTheWait") << 1000;
    }
    void saveChangesWaitsForAnotherProgramsLock() {
        QFETCH(int, letGoAfter);
        auto clock = std::make_shared<LettingGoClock>();
        world.reset();
        GuiWorld gui("keys=8", {.clock = clock});
        std::filesystem::create_directories(gui.folder.path() / "VorlaInterface");
        const std::string settings =
            gui.folder.write("VorlaInterface/USBUtilityCfg.ini", kSaved.toStdString());
        form = std::make_unique<Form1>(settings);
        form->Form1_Load();
        gui.forgetSent();
        LockHolder holder(settings);
        QVERIFY(holder.holds());
        if (letGoAfter > 0) {
            clock->letGoAt(GetTickCount() + letGoAfter, [&holder] { (void)holder.letGo(); });
        }
        QTest::mouseClick(must<QPushButton>(form.get(), "button8"), Qt::LeftButton);
        const bool saved = letGoAfter > 0;
        const auto busy = QString::fromStdString(fileBusyMessage(settings) + "\n");
        QCOMPARE(takeBoxes(), saved ? QList<Box>() : QList{warningBox(busy)});
        const std::vector<SentCommand> defaults{{Command::WriteDefaults, {}}};
        QCOMPARE(gui.changesSent(), saved ? defaults : std::vector<SentCommand>());
        QCOMPARE(QString::fromStdString(fileBytes(settings)) != kSaved, saved);
        QCOMPARE(gui.clock->waitsWithoutBusyCursor, 0);
        form.reset();
    }

    // The lists show what the imported file put on the keypad, not what was there before.
    void importShowsTheFilesSettings() {
        write("usb/USBUtilityQuillonCfg.ini", QString(kSaved).replace("=3", "=7"));
        form = std::make_unique<Form1>(world->settingsFile());
        form->Form1_Load();
        auto* brightness = must<QComboBox>(form.get(), "ledBrightnessCbox");
        QCOMPARE(brightness->currentText(), QString("LED Brightness - 5"));
        FileDialogs::setNextFile(inFolder("{dir}/usb/USBUtilityQuillonCfg.ini"));
        form->findChild<QAction*>("aboutVorlaUSBEncoderConfiguratorToolStripMenuItem")->trigger();
        QCOMPARE(takeBoxes(), QList<Box>());
        QCOMPARE(brightness->currentText(), QString("LED Brightness - 7"));
    }

    // Its Yes would wipe the saved settings: No is the default button, and no answer is a No.
    void importOfAnUnsavedFileAsksWithNoAsTheDefault() {
        write("VorlaInterface/USBUtilityCfg.ini", kSaved);
        write("usb/USBUtilityQuillonCfg.ini", " [appSettings]\r\n FirstUp=\r\n");
        form = std::make_unique<Form1>(world->settingsFile());
        form->Form1_Load();
        FileDialogs::setNextFile(inFolder("{dir}/usb/USBUtilityQuillonCfg.ini"));
        form->findChild<QAction*>("aboutVorlaUSBEncoderConfiguratorToolStripMenuItem")->trigger();
        QCOMPARE(takeBoxes(),
                 QList{questionBox(inFolder("{dir}/usb/USBUtilityQuillonCfg.ini holds no saved "
                                            "settings (its FirstUp is not Yes), so nothing is "
                                            "sent to the keypad. Replace the settings file with "
                                            "it all the same? The settings saved there are lost."),
                                   "Vorla Quillon™", MessageBox::Buttons::YesNoDefaultNo)});
        QCOMPARE(QString::fromStdString(fileBytes(world->settingsFile())), kSaved);
        QCOMPARE(world->changesSent(), std::vector<SentCommand>());
    }
};

QTEST_MAIN(Form1FilesTest)
#include "form1_files_test.moc"
