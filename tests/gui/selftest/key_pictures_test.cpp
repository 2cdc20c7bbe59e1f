// The self-test window's key pictures: on 12- and 16-key keypads every key typed through the
// simulated keyboard lights its own picture; the small keypads keep their fixed F15-F24
// pictures and colours; every colour keeps its number legible; and a screen reader meets the
// self-test and firmware windows as dialogs whose pictures say their key and whether it was seen.
#include <QAccessible>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>
#include <cmath>
#include <thread>

#include "../gui_world.h"
#include "device/keypad_service.h"
#include "gui/selftest/key_colours.h"
#include "gui/selftest/keyboard_bridge.h"
#include "gui/selftest/self_test.h"
#include "gui/upgrade/firmware_upgrade.h"
#include "selftest/key_layout.h"

using namespace lumora_usb_encoder;
using namespace lumora_usb_encoder::testing;

namespace {

QString description(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Description);
}

// Contrast of two colours as legibility is reckoned (1 to 21).
double contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    double la = luminance(a) + 0.05;
    double lb = luminance(b) + 0.05;
    return std::max(la, lb) / std::min(la, lb);
}

// Every accessible node below `node` with `role`, by name.
QStringList namesOf(QAccessibleInterface* node, QAccessible::Role role) {
    QStringList names;
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (child->role() == role) {
            names << child->text(QAccessible::Name);
        }
        names << namesOf(child, role);
    }
    return names;
}

}  // namespace

class KeyPicturesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<GuiWorld> world;
    std::shared_ptr<KeypadService> service = std::make_shared<KeypadService>();

    QPointer<self_test> open(const QString& spec) {
        world = std::make_unique<GuiWorld>(
            spec.toStdString(),
            WorldOptions{.openKeypad = true, .clock = std::make_shared<PacedClock>()});
        return new self_test(service);
    }
    QPushButton* picture(QWidget* window, int button) {
        return child<QPushButton>(window, qPrintable(QString("button%1").arg(button)));
    }
    bool lit(QWidget* window, int button) {
        return description(picture(window, button)) == "pressed";
    }
    // Key 1 is typed until the picture of the key that types the same code in the family's
    // default table lights too: the key stage has then switched the table and handed it to the
    // window (a customised table types key 1's own code, and lights picture 1 alone).
    bool listening(QWidget* window, int sameCodeButton) {
        for (int attempt = 0; attempt < 50 && !lit(window, sameCodeButton); ++attempt) {
            world->keypad().typeKey(1);
            QTest::qWait(100);
        }
        return lit(window, sameCodeButton);
    }
    QList<int> litPictures(QWidget* window) {
        QList<int> pictures;
        for (int button = 1; button <= 16; ++button) {
            if (picture(window, button) != nullptr && lit(window, button)) {
                pictures << button;
            }
        }
        return pictures;
    }
    QPointer<self_test> openOnTheKeyboard(const QString& spec, KeyboardBridge& bridge) {
        (void)bridge;  // reads the keypad's keyboard side from now on
        QPointer<self_test> window = open(spec);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window)) {
            qFatal("the self test did not come to the front");
        }
        return window;
    }

  private slots:
    void cleanup() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            delete qobject_cast<self_test*>(window);  // a running test is ended and restored
        }
        world.reset();
    }

    void everyKeyLightsItsOwnPicture_data() {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<int>("family");  // the family's default type, for its pictures
        QTest::addRow("12 keys, customised table") << "keys=12,type=5" << 3;
        QTest::addRow("12 keys, alternate table") << "keys=12,type=4" << 3;
        QTest::addRow("16 keys, customised table") << "keys=16,type=8" << 6;
        QTest::addRow("16 keys, default table") << "keys=16,type=6" << 6;
    }
    void everyKeyLightsItsOwnPicture() {
        QFETCH(QString, spec);
        QFETCH(int, family);
        KeyboardBridge bridge;
        QPointer<self_test> window = openOnTheKeyboard(spec, bridge);
        auto layout = selftest::keyLayout(static_cast<uint8_t>(family), 0);
        QVERIFY(listening(window, layout[10].button));
        for (size_t key = 2; key <= layout.size(); ++key) {
            QVERIFY(world->keypad().typeKey(static_cast<int>(key)));
            QTRY_VERIFY2(lit(window, layout[key - 1].button), qPrintable(QString::number(key)));
        }
        for (const auto& shown : layout) {
            QCOMPARE(picture(window, shown.button)->property("keyColour").value<QColor>(),
                     seenKeyColour());
        }
    }

    void aCodeTwoKeysTypeLightsBoth_data() {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<QList<int>>("pictures");  // of keys 1 and 11, which both type F15
        QTest::addRow("12 keys") << "keys=12,type=5" << QList{1, 14};
        QTest::addRow("16 keys") << "keys=16,type=8" << QList{1, 11};
    }
    void aCodeTwoKeysTypeLightsBoth() {
        QFETCH(QString, spec);
        QFETCH(QList<int>, pictures);
        KeyboardBridge bridge;
        QPointer<self_test> window = openOnTheKeyboard(spec, bridge);
        QVERIFY(listening(window, pictures[1]));
        QCOMPARE(litPictures(window), pictures);
    }

    void functionKeysLightTheirFixedPictures_data() {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<QList<int>>("absent");
        QTest::addRow("5 keys, options 0") << "keys=5,options=0" << QList{1, 3, 5};
        QTest::addRow("6 keys, options 1") << "keys=6,options=1" << QList{1, 3};
        QTest::addRow("8 keys, options 3") << "keys=8,options=3" << QList<int>{};
        QTest::addRow("alternate table") << "keys=8,type=1,options=0" << QList{1, 3, 5};
        QTest::addRow("customised table") << "keys=8,type=2,options=1" << QList{1, 3};
        QTest::addRow("another options byte") << "keys=8,options=6" << QList<int>{};
    }
    void functionKeysLightTheirFixedPictures() {
        QFETCH(QString, spec);
        QFETCH(QList<int>, absent);
        const std::tuple<int, int, const char*> documented[] = {
            {Qt::Key_F15, 9, "lightseagreen"}, {Qt::Key_F16, 10, "orange"},
            {Qt::Key_F17, 2, "blue"},          {Qt::Key_F18, 6, "yellow"},
            {Qt::Key_F19, 7, "yellow"},        {Qt::Key_F20, 8, "green"},
            {Qt::Key_F21, 4, "white"},         {Qt::Key_F22, 5, "white"},
            {Qt::Key_F23, 1, "darkblue"},      {Qt::Key_F24, 3, "red"},
        };
        QPointer<self_test> window = open(spec);
        QTest::keyClick(window, Qt::Key_A);
        for (const auto& [key, button, colour] : documented) {
            QTest::keyClick(window, static_cast<Qt::Key>(key));
        }
        for (const auto& [key, button, colour] : documented) {
            QPushButton* shown = picture(window, button);
            QCOMPARE(shown == nullptr, absent.contains(button));
            if (shown != nullptr) {
                QCOMPARE(shown->property("keyColour").value<QColor>(), QColor(colour));
            }
        }
    }

    void everyKeyColourKeepsItsNumberLegible_data() {
        QTest::addColumn<QColor>("colour");
        for (int key = 1; key <= 10; ++key) {
            QTest::addRow("F%d", 14 + key) << functionKeyColour(key);
        }
        QTest::addRow("seen") << seenKeyColour();
        QTest::addRow("small keypad, not yet pressed") << QColor(Qt::gray);
    }
    void everyKeyColourKeepsItsNumberLegible() {
        QFETCH(QColor, colour);
        QVERIFY2(contrast(textColourOn(colour), colour) >= 4.5, qPrintable(colour.name()));
        QPushButton button;
        paintKey(&button, colour);
        QVERIFY(button.styleSheet().contains("color: " + textColourOn(colour).name()));
    }

    void picturesSayTheirKeyAndOnlyThoseShownExist_data() {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<QStringList>("names");
        QTest::addRow("5 keys") << "keys=5,options=0"
                                << QStringList{"Key 2", "Key 4",   "Key 6",   "Key 7",
                                               "Key 8", "Jack in", "Jack out"};
        QTest::addRow("12 keys") << "keys=12" << QStringList{"Key 1", "Key 2",  "Key 3",  "Key 4",
                                                             "Key 5", "Key 6",  "Key 7",  "Key 8",
                                                             "Key 9", "Key 10", "Key 11", "Key 12"};
    }
    void picturesSayTheirKeyAndOnlyThoseShownExist() {
        QFETCH(QString, spec);
        QFETCH(QStringList, names);
        QPointer<self_test> window = open(spec);
        QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(window.data());
        QCOMPARE(tree->role(), QAccessible::Dialog);
        QCOMPARE(tree->text(QAccessible::Name), QString("Self Test"));
        QStringList buttons = namesOf(tree, QAccessible::Button);
        QCOMPARE(buttons.filter(QRegularExpression("^(Key|Jack) ")), names);
        QVERIFY2(!buttons.contains(""), qPrintable(buttons.join(", ")));
    }

    void pictureAndStageStatesChangeAsTheTestGoes() {
        QPointer<self_test> window = open("keys=8,options=3");
        auto* ledBox = must<QCheckBox>(window, "ledCheckBox");
        QCOMPARE(description(ledBox), QString("LED flash: not started"));
        window->highlight(selftest::Label::ledBrightnessLbl);
        QCOMPARE(description(must(window, "ledBrightnessLbl")),
                 QString("LED brightness steps: running"));
        QCOMPARE(description(picture(window, 2)), QString("not yet pressed"));
        QTest::keyClick(window, Qt::Key_F17);
        QCOMPARE(description(picture(window, 2)), QString("pressed"));
        QCOMPARE(description(picture(window, 3)), QString("not yet pressed"));
        QTRY_VERIFY(ledBox->isChecked());
        QCOMPARE(description(ledBox), QString("LED flash: done"));
        QCOMPARE(description(must(window, "ledLbl")), QString("LED flash: done"));
    }

    void firmwareWindowIsADialogWithDescribedControls() {
        world = std::make_unique<GuiWorld>("keys=8");
        firmware_upgrade window(service, "");
        QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(&window);
        QCOMPARE(tree->role(), QAccessible::Dialog);
        QCOMPARE(tree->text(QAccessible::Name), QString("Vorla Quillon™ Firmware Upgrade"));
        for (const char* name :
             {"btnBrowse", "btnUpgrade", "btnClose", "labelNumOfDevices", "progressBar"}) {
            QVERIFY2(!description(must(&window, name)).isEmpty(), name);
        }
        auto* log = must<QPlainTextEdit>(&window, "statusBox");
        log->setPlainText("Starting\r\nErasing segments\n");
        QCOMPARE(description(log), QString("Erasing segments"));
    }
};

QTEST_MAIN(KeyPicturesTest)
#include "key_pictures_test.moc"
