// The editors as a screen reader and a keyboard-only user meet them.
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "codetable/editor_family.h"
#include "editor_fixture.h"
#include "gui/editors/keypad_picture.h"
#include "gui/editors/keypad_picture_layout.h"
#include "gui/message_box.h"
#include "support/clock.h"

using namespace lumora_usb_encoder;

namespace {

// What keys 1-16 hold as editorFields() loads them (0x11 ... 0x20), as a listener hears it.
const QStringList kSpoken = {"n and N", "o and O", "p and P", "q and Q", "r and R", "s and S",
                             "t and T", "u and U", "v and V", "w and W", "x and X", "y and Y",
                             "z and Z", "1 and !", "2 and @", "3 and #"};

QString said(QWidget* widget, QAccessible::Text what) {
    return QAccessible::queryAccessibleInterface(widget)->text(what);
}

QString keyTitle(int n, bool small) {
    QString title = QString("Key %1").arg(n);
    return !small ? title : n == 9 ? title + ", Jack IN" : n == 10 ? title + ", Jack OUT" : title;
}

}  // namespace

class EditorAccessTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::EditorKeypad> keypad;
    std::unique_ptr<QWidget> owner;

    static QPushButton* button(QWidget* window, const QString& name) {
        return window->findChild<QPushButton*>(name);
    }
    static QComboBox* list(QWidget* window, const char* name) {
        return window->findChild<QComboBox*>(name);
    }
    static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    static void tabTo(QWidget* target) {
        for (int i = 0; i < 60 && QApplication::focusWidget() != target; ++i) {
            press(Qt::Key_Tab);
        }
    }
    CodeTableEditorWindow* openActive(int type, int ways = 2) {
        auto* editor = keypad->open(testing::editorFields(type, ways), owner.get());
        QApplication::setActiveWindow(editor);
        return QTest::qWaitForWindowActive(editor) ? editor : nullptr;
    }

  private slots:
    void init() {
        setClock(std::make_shared<VirtualClock>());
        keypad = std::make_unique<testing::EditorKeypad>();
        QVERIFY(keypad->start("keys=16,type=8"));
        owner = std::make_unique<QWidget>();
        MessageBox::setScripted(true);
    }
    void cleanup() {
        owner.reset();
        keypad.reset();
        MessageBox::setScripted(false);
    }

    void namesAndDescriptionsFollowEveryKey_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("ways");
        QTest::addColumn<QList<int>>("absent");
        QTest::addRow("5 keys") << 2 << 0 << QList<int>{1, 3, 5};
        QTest::addRow("6 keys") << 2 << 1 << QList<int>{1, 3};
        QTest::addRow("8 keys") << 2 << 2 << QList<int>{};
        QTest::addRow("12 keys") << 5 << 2 << QList<int>{};
        QTest::addRow("16 keys") << 8 << 2 << QList<int>{};
    }
    void namesAndDescriptionsFollowEveryKey() {
        QFETCH(int, type);
        QFETCH(int, ways);
        QFETCH(QList<int>, absent);
        auto* editor = keypad->open(testing::editorFields(type, ways), owner.get());
        auto* window = QAccessible::queryAccessibleInterface(editor);
        QCOMPARE(window->role(), QAccessible::Dialog);
        QCOMPARE(window->text(QAccessible::Name), editor->windowTitle());
        for (const char* name : {"selectCodeCbox", "selectModifierCbox"}) {
            QVERIFY(!said(list(editor, name), QAccessible::Name).isEmpty());
            QVERIFY(!said(list(editor, name), QAccessible::Description).isEmpty());
        }
        for (const char* name : {"resetBtn", "applyBtn", "exitBtn"}) {
            QVERIFY(!said(button(editor, name), QAccessible::Description).isEmpty());
        }
        int keys = editor->editor().keyCount();
        QList<int> present;
        for (int n = 1; n <= keys; ++n) {
            if (!absent.contains(n)) {
                present << n;
            }
        }
        auto check = [&](const QString& stage, auto nameOf, const QString& state) {
            for (int n : present) {
                auto* key = button(editor, QString("key%1Btn").arg(n));
                QString title = keyTitle(n, type == 2);
                QCOMPARE(said(key, QAccessible::Name), title + nameOf(n));
                QVERIFY2(said(key, QAccessible::Description) == state, qPrintable(stage));
                QCOMPARE(said(button(editor, QString("modifierBtn%1").arg(n)), QAccessible::Name),
                         title + (n % 3 == 0 ? " modifier, Left Shift" : " modifier, None"));
            }
        };
        auto loaded = [](int n) {
            return ", code 0x" + QString::number(0x10 + n, 16).toUpper() + ", " + kSpoken[n - 1];
        };
        check("loaded", loaded, "not selected");
        for (int n : present) {
            button(editor, QString("key%1Btn").arg(n))->click();
        }
        check("selected", loaded, "selected");
        emit list(editor, "selectCodeCbox")->activated(0x28);
        check(
            "assigned", [](int) { return QString(", code 0x28, Enter"); }, "assigned");
        QCOMPARE(button(editor, "key6Btn")->toolTip(), QString("Left Shift + Enter"));
    }

    void keyboardAloneAssignsAndAppliesWhatTheMouseWould() {
        QPointer<CodeTableEditorWindow> mouse = keypad->open(testing::editorFields(8), owner.get());
        button(mouse, "key1Btn")->click();
        button(mouse, "key3Btn")->click();
        emit list(mouse, "selectCodeCbox")->activated(0x28);
        button(mouse, "applyBtn")->click();
        QTRY_VERIFY(mouse.isNull());

        QPointer<CodeTableEditorWindow> editor = openActive(8);
        QVERIFY(editor);
        tabTo(button(editor, "key1Btn"));
        press(Qt::Key_Space);
        for (int step = 0; step < 4; ++step) {
            press(Qt::Key_Right);  // modifier 2, key 2, modifier 3, key 3
        }
        QCOMPARE(QApplication::focusWidget(), button(editor, "key3Btn"));
        press(Qt::Key_Return);
        press(Qt::Key_Down, Qt::AltModifier);
        auto* codes = list(editor, "selectCodeCbox");
        QTRY_VERIFY(codes->view()->isVisible());
        QTest::keyClicks(codes->view(), "enter");
        QTest::keyClick(codes->view(), Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), button(editor, "key3Btn"));
        tabTo(button(editor, "applyBtn"));
        press(Qt::Key_Return);
        QTRY_VERIFY(editor.isNull());
        QCOMPARE(keypad->tables.size(), size_t(2));
        QCOMPARE(keypad->tables[1], keypad->tables[0]);
        QCOMPARE(keypad->tables[1][5], uint8_t(0x28));
    }

    void typingFindsAnEntryByAnyPartOfIt_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("found");
        QTest::addRow("f13") << 8 << "selectCodeCbox"
                             << "f13" << 0x68;
        QTest::addRow("enter") << 8 << "selectCodeCbox"
                               << "enter" << 0x28;
        QTest::addRow("hex") << 2 << "selectCodeCbox"
                             << "0x28" << 0x28;
        QTest::addRow("a slip is dropped") << 8 << "selectCodeCbox"
                                           << "f13#" << 0x68;
        QTest::addRow("modifier") << 8 << "selectModifierCbox"
                                  << "left alt" << 3;
    }
    void typingFindsAnEntryByAnyPartOfIt() {
        QFETCH(int, type);
        QFETCH(QString, list);
        QFETCH(QString, typed);
        QFETCH(int, found);
        auto* editor = openActive(type);
        QVERIFY(editor);
        bool codes = list == "selectCodeCbox";
        button(editor, codes ? "key2Btn" : "modifierBtn2")->click();
        auto* box = this->list(editor, qPrintable(list));
        box->setFocus();
        QTest::keyClicks(box, typed.left(1));  // typing on the closed list opens it
        QTRY_VERIFY(box->view()->isVisible());
        QVERIFY(editor->editor().keySelected() != 0 || editor->editor().modSelected() != 0);
        QTest::keyClicks(box->view(), typed.mid(1));
        QCOMPARE(box->view()->currentIndex().row(), found);
        QVERIFY(box->view()->height() <= 21 * box->view()->sizeHintForRow(0));
        QTest::keyClick(box->view(), Qt::Key_Return);
        QTRY_VERIFY(!box->isVisible());
        QCOMPARE(codes ? editor->editor().code(2) : editor->editor().modifier(2), found);
    }

    void closingAsksAboutUnappliedChanges_data() {
        QTest::addColumn<bool>("edited");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<int>("sent");
        QTest::addRow("nothing pending") << false << -1 << true << 0;
        QTest::addRow("discard") << true << int(MessageBox::Answer::Discard) << true << 0;
        QTest::addRow("apply") << true << int(MessageBox::Answer::Apply) << true << 1;
        QTest::addRow("cancel") << true << int(MessageBox::Answer::Cancel) << false << 0;
    }
    void closingAsksAboutUnappliedChanges() {
        QFETCH(bool, edited);
        QFETCH(int, answer);
        QFETCH(bool, closed);
        QFETCH(int, sent);
        QPointer<CodeTableEditorWindow> editor = openActive(5);
        QVERIFY(editor);
        button(editor, "key7Btn")->click();
        if (edited) {
            emit list(editor, "selectCodeCbox")->activated(0x68);
            MessageBox::setNextAnswer(MessageBox::Answer(answer));
        }
        press(Qt::Key_Escape);
        auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), size_t(edited ? 1 : 0));
        if (edited) {
            QCOMPARE(shown[0].caption, QString("Vorla USB Encoder"));
            QCOMPARE(shown[0].buttons, MessageBox::Buttons::ApplyDiscardCancel);
        }
        QTRY_COMPARE(editor.isNull(), closed);
        QCOMPARE(int(keypad->tables.size()), sent);
        if (sent) {
            QCOMPARE(keypad->tables[0][13], uint8_t(0x68));
        }
    }

    // A key the keypad lacks leaves the housing plain: no empty well beside the buttons.
    void builtInPicturesShowOnlyTheKeypadsKeys() {
        QTemporaryDir elsewhere;  // no picture file of the same name to take precedence
        QString previous = QDir::currentPath();
        QDir::setCurrent(elsewhere.path());
        for (int ways : {0, 1, 2}) {
            const auto& variant = smallKeypadVariant(ways);
            QImage picture = loadKeypadPicture(variant.pictureFile).toImage();
            for (int n = 1; n <= 8; ++n) {
                const auto& place = kPictureKeyRects[size_t(n - 1)];
                int y = place.y + place.height / 2;
                int well = picture.pixelColor(place.x - 4, y).lightness();
                int housing = picture.pixelColor(place.x - 20, y).lightness();
                bool present = ((variant.hiddenKeys >> (n - 1)) & 1U) == 0;
                QVERIFY2(present ? well < housing - 10 : std::abs(well - housing) < 6,
                         qPrintable(QString("%1 ways, key %2").arg(ways).arg(n)));
            }
        }
        QDir::setCurrent(previous);
    }
};

QTEST_MAIN(EditorAccessTest)
#include "editor_access_test.moc"
