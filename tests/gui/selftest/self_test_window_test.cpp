// The self-test window against the simulated keypad: start texts and layout, key colours, the
// ways it ends (Close, title bar, leaving the program), the simulated keyboard.
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>
#include <thread>

#include "../gui_world.h"
#include "device/keypad_service.h"
#include "gui/main/form1.h"
#include "gui/selftest/keyboard_bridge.h"
#include "gui/selftest/self_test.h"
#include "selftest/self_test_sequence.h"

using namespace lumora_usb_encoder;
using namespace lumora_usb_encoder::testing;

class SelfTestWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<GuiWorld> world;
    std::shared_ptr<KeypadService> service = std::make_shared<KeypadService>();

    static WorldOptions paced(bool openKeypad) {
        return {.openKeypad = openKeypad, .clock = std::make_shared<PacedClock>()};
    }
    QPointer<self_test> open(const std::string& spec, bool refusing = false) {
        world = std::make_unique<GuiWorld>(spec, paced(true));
        world->keypad().faults.refuse = refusing;
        world->forgetSent();
        return new self_test(service);
    }
    static QColor keyColour(QWidget* window, const char* name) {
        return must<QPushButton>(window, name)->property("keyColour").value<QColor>();
    }
    // Message boxes are taken as they come, so that a retried check sees all of them.
    QStringList shown;
    bool noticeShown() {
        shown += world->shownTexts();
        return !shown.isEmpty();
    }
    // The last three commands: the restore.
    std::vector<SentCommand> restore() const {
        auto sent = world->changesSent();
        return sent.size() < 3 ? sent : std::vector<SentCommand>(sent.end() - 3, sent.end());
    }

  private slots:
    void cleanup() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            delete qobject_cast<self_test*>(window);  // a running test is ended and restored
        }
        world.reset();
        shown.clear();
    }

    void startShowsTheKeypadAndItsKeyPictures() {
        QPointer<self_test> window = open("keys=16,type=7,brightness=5,period=4");
        QCOMPARE(must<QLabel>(window, "ledLevelLbl")->text(), QString("5"));
        QCOMPARE(must<QLabel>(window, "ledColourLbl")->text(), QString("WHITE"));
        QCOMPARE(must<QLabel>(window, "buzzerPeriodLbl")->text(), QString("4"));
        QStringList hidden;
        for (int i = 1; i <= 16; ++i) {
            if (must(window, QString("button%1").arg(i))->isHidden()) {
                hidden << QString("button%1").arg(i);
            }
        }
        QCOMPARE(hidden, QStringList());

        QTRY_VERIFY(must<QCheckBox>(window, "buzzerCheckBox")->isChecked());
        QTRY_VERIFY(noticeShown());
        QCOMPARE(shown, QStringList{"Press each key  on Quillon™... \n"});
        QTest::mouseClick(must<QPushButton>(window, "endBtn"), Qt::LeftButton);
        QTRY_VERIFY(window.isNull());
        const std::vector<SentCommand> restored = {
            {Command::KeypadType, {7}},
            {Command::BuzzerPeriod, {4}},
            {Command::LedBrightness, {5}},
        };
        QCOMPARE(restore(), restored);
    }

    void titleBarCloseWaitsForTheRestore() {
        QPointer<self_test> window = open("keys=8,type=1");
        window->show();
        QTRY_VERIFY(!must<QLabel>(window, "ledLevelLbl")->text().isEmpty());
        // The close is refused while the keypad is under test; the window only hides.
        QVERIFY(!window->close());
        QVERIFY(window->isHidden());
        QTRY_VERIFY(window.isNull());
        const std::vector<SentCommand> restored = {
            {Command::KeypadType, {1}},
            {Command::BuzzerPeriod, {3}},
            {Command::LedBrightness, {5}},
        };
        QCOMPARE(restore(), restored);
    }

    void failedStatusReadWarnsAndCloseCloses() {
        QPointer<self_test> window = open("keys=8", true);
        QCOMPARE(takeBoxes(),
                 QList{warningBox("Device status message error..\n", "Vorla USB Encoder")});
        QTest::mouseClick(must<QPushButton>(window, "endBtn"), Qt::LeftButton);
        QTRY_VERIFY(window.isNull());
        QCOMPARE(world->changesSent(), std::vector<SentCommand>());
    }

    void leavingTheProgramRestoresFirst() {
        world = std::make_unique<GuiWorld>("keys=8,brightness=3", paced(false));
        Form1 form(world->settingsFile());
        form.setQuitAction([] {});
        form.Form1_Load();
        must<QPushButton>(&form, "button2")->click();
        QCOMPARE(visibleWindows<self_test>().size(), 1);
        self_test* window = visibleWindows<self_test>()[0];
        QCOMPARE(window->pos(), form.pos());
        QTRY_VERIFY(must<QCheckBox>(window, "ledCheckBox")->isChecked());
        must<QPushButton>(&form, "button10")->click();  // Exit
        QTRY_VERIFY(hid_handle == nullptr);
        const std::vector<SentCommand> restored = {
            {Command::KeypadType, {0}},
            {Command::BuzzerPeriod, {3}},
            {Command::LedBrightness, {3}},
        };
        QCOMPARE(restore(), restored);
    }

    void simulatedKeypadKeysReachTheWindow() {
        QPointer<self_test> window = open("keys=8");
        KeyboardBridge bridge;
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTRY_VERIFY(noticeShown());  // the key test has begun
        QTest::qWait(200);           // the bridge has found the keyboard
        QVERIFY(world->keypad().typeKey(10));
        QTRY_COMPARE(keyColour(window, "button3"), QColor("red"));  // F24
    }
};

QTEST_MAIN(SelfTestWindowTest)
#include "self_test_window_test.moc"
