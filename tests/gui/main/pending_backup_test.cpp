// The main window and the upgrade backup: the start-up question's three answers, a backup whose
// upgrade never reached the flash retired once the keypad answers, Save Changes beside a pending
// backup, and the firmware button's question whose settings go back.
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "../gui_world.h"
#include "common/settings_text.h"
#include "gui/main/form1.h"
#include "upgrade/upgrade_capture.h"
#include "upgrade/upgrade_mode.h"

using namespace lumora_usb_encoder;
using namespace lumora_usb_encoder::testing;

namespace {

const std::string kPending = savedSettingsText() + " UpgradeStage=FlashTouched\r\n";
const std::string kUntouched = savedSettingsText() + " UpgradeStage=UpgradeMode\r\n";
const QStringList kStartAnswers = {"Write Back Now", "Discard Them", "Ask Next Time"};
const QString kStartQuestion =
    "The keypad's settings from before an interrupted firmware upgrade (saved ";
const QString kRetired =
    "The keypad came back from its loader untouched; the backup is no longer needed.";
using Answer = MessageBox::Answer;

}  // namespace

class PendingBackupTest : public QObject {
    Q_OBJECT

    std::unique_ptr<GuiWorld> world;
    std::unique_ptr<Form1> form;

    std::string backup() { return upgradeBackupPath(world->settingsFile()); }
    bool backupThere() { return std::filesystem::exists(backup()); }
    void makeWorld(const std::string& backupText, const std::string& spec = "keys=8") {
        world = std::make_unique<GuiWorld>(spec, WorldOptions{.loader = true});
        std::filesystem::create_directories(std::filesystem::path(backup()).parent_path());
        std::ofstream(backup(), std::ios::binary) << backupText;
    }
    // The main window as the program starts it, its start-up question answered with `answers`.
    void startWindow(std::initializer_list<Answer> answers = {}) {
        form = std::make_unique<Form1>(world->settingsFile());
        form->setQuitAction([] {});
        for (Answer answer : answers) {
            MessageBox::setNextAnswer(answer);
        }
        form->Form1_Load();
    }
    QList<Box> choicesShown() {
        QList<Box> choices;
        for (const Box& box : takeBoxes()) {
            if (box.buttons == MessageBox::Buttons::Choices) {
                choices << box;
            }
        }
        return choices;
    }
    QString statusLine() { return must<QStatusBar>(form.get(), "statusStrip1")->currentMessage(); }
    bool sent(const SentCommand& command) {
        auto all = world->changesSent();
        return std::find(all.begin(), all.end(), command) != all.end();
    }

  private slots:
    void cleanup() {
        form.reset();
        world.reset();
        upgradeCapture() = {};
    }

    void startUpQuestionHasThreeAnswers_data() {
        QTest::addColumn<int>("answer");  // -1: the box is closed unanswered
        QTest::addColumn<bool>("backupLeft");
        QTest::addColumn<bool>("writtenBack");
        QTest::addRow("WriteBackNow") << int(Answer::Choice1) << false << true;
        QTest::addRow("DiscardThem") << int(Answer::Choice2) << false << false;
        QTest::addRow("AskNextTime") << int(Answer::Choice3) << true << false;
        QTest::addRow("ClosedUnanswered") << -1 << true << false;
    }
    void startUpQuestionHasThreeAnswers() {
        QFETCH(int, answer);
        QFETCH(bool, backupLeft);
        QFETCH(bool, writtenBack);
        makeWorld(kPending);
        if (answer >= 0) {
            MessageBox::setNextAnswer(Answer(answer));
        }
        startWindow();
        QList<Box> asked = choicesShown();
        QVERIFY(!asked.isEmpty());
        QVERIFY2(asked.back().text.startsWith(kStartQuestion), qPrintable(asked.back().text));
        QCOMPARE(asked.back().answers, kStartAnswers);
        QCOMPARE(asked.back().caption, QString("Firmware Upgrade"));
        QCOMPARE(backupThere(), backupLeft);
        QCOMPARE(sent({Command::WriteDefaults, {}}), writtenBack);
        QCOMPARE(world->changesSent().empty(), !writtenBack);
        startWindow();  // the next start
        QCOMPARE(choicesShown().size(), backupLeft ? 1 : 0);
    }

    // Its upgrade never reached the flash: the keypad answering holds its own settings.
    void untouchedBackupIsRetiredOnceTheKeypadAnswers() {
        makeWorld(kUntouched);
        world->enterLoader();
        startWindow();
        QVERIFY(backupThere());   // the keypad is still in its loader: the backup is all there is
        world->loader->replug();  // unplugged and plugged back in: the keypad starts as it was
        world->waitForRestart();
        QTRY_VERIFY(!backupThere());
        QCOMPARE(statusLine(), kRetired);
        QCOMPARE(choicesShown(), QList<Box>());
        QCOMPARE(world->changesSent(), std::vector<SentCommand>());
    }

    void saveChangesKeepsAPendingBackupAndSaysSo() {
        makeWorld(kPending);
        startWindow({Answer::Choice3});
        QTest::mouseClick(must<QPushButton>(form.get(), "button8"), Qt::LeftButton);
        QVERIFY(sent({Command::WriteDefaults, {}}));
        QVERIFY(backupThere());
        QVERIFY2(statusLine().endsWith("interrupted firmware upgrade (UpgradeBackup.ini) is kept."),
                 qPrintable(statusLine()));
    }

    // The keypad's settings of now differ from the pending backup's: the user picks them.
    void firmwareButtonAsksWhoseSettingsGoBack() {
        makeWorld(kPending, "keys=8,brightness=2");
        startWindow({Answer::Choice3});
        (void)takeBoxes();
        MessageBox::setNextAnswer(Answer::Choice2);  // the keypad's settings of now
        MessageBox::setNextAnswer(Answer::Yes);      // Are you sure?
        QTest::mouseClick(must<QPushButton>(form.get(), "btnLoadFirmware"), Qt::LeftButton);
        QList<Box> asked = choicesShown();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].answers.mid(1), QStringList({"The Keypad's Now", "Cancel"}));
        QVERIFY(asked[0].answers[0].startsWith("Settings of "));
        QVERIFY(!upgradeCapture().earlierBackup);
        std::string problem;
        auto kept = readStoredBackup(backup(), problem);
        QVERIFY2(kept.has_value(), problem.c_str());
        QCOMPARE(kept->settings.ledBrightness, uint8_t(2));
        QVERIFY(kept->stage == BackupStage::UpgradeMode);
        QVERIFY(sent({Command::UpgradeMode, {}}));
        for (auto* window : QApplication::topLevelWidgets()) {
            if (window != form.get() && window->isVisible()) {
                delete window;  // the firmware window it opened
            }
        }
    }
};

QTEST_MAIN(PendingBackupTest)
#include "pending_backup_test.moc"
