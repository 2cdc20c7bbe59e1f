// The editors as a screen reader and a keyboard-only user meet them.
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QPointer>

#include "editor_world.h"

using namespace lumora_usb_encoder;
using namespace lumora_usb_encoder::testing;

namespace {

// What keys 1-16 hold as fieldsFor() loads them, as a listener hears it.
const QStringList kSpoken = {"0x11, n and N", "0x12, o and O", "0x13, p and P", "0x14, q and Q",
                             "0x15, r and R", "0x16, s and S", "0x17, t and T", "0x18, u and U",
                             "0x19, v and V", "0x1A, w and W", "0x1B, x and X", "0x1C, y and Y",
                             "0x1D, z and Z", "0x1E, 1 and !", "0x1F, 2 and @", "0x20, 3 and #"};

QString said(QWidget* widget, QAccessible::Text what) {
    return QAccessible::queryAccessibleInterface(widget)->text(what);
}

void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
}

void tabTo(QWidget* target) {
    for (int i = 0; i < 60 && QApplication::focusWidget() != target; ++i) {
        press(Qt::Key_Tab);
    }
}

}  // namespace

class EditorAccessTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorWorld> world;

    // A new world per table row, as a test slot would have.
    QPointer<CodeTableEditorWindow> reopen(int type, int ways = 2) {
        world.reset();
        world = std::make_unique<EditorWorld>();
        return open(type, ways);
    }
    QPointer<CodeTableEditorWindow> open(int type, int ways = 2) {
        auto* editor = world->open(fieldsFor(type, ways));
        QApplication::setActiveWindow(editor);
        return QTest::qWaitForWindowActive(editor) ? editor : nullptr;
    }
    std::array<uint8_t, 32>& table() { return world->simulation.keypad->current().customTable; }

    void namesFollowEveryKey(CodeTableEditorWindow* editor, int type, const QList<int>& absent) {
        QCOMPARE(QAccessible::queryAccessibleInterface(editor)->role(), QAccessible::Dialog);
        QCOMPARE(said(editor, QAccessible::Name), editor->windowTitle());
        for (const char* name :
             {"selectCodeCbox", "selectModifierCbox", "resetBtn", "applyBtn", "exitBtn"}) {
            auto* control = editor->findChild<QWidget*>(name);
            QVERIFY(!said(control, QAccessible::Name).isEmpty());
            QVERIFY(!said(control, QAccessible::Description).isEmpty());
        }
        auto check = [&](const QString& code, const QString& state) {
            for (int n = 1; n <= editor->editor().keyCount(); ++n) {
                if (absent.contains(n)) {
                    continue;
                }
                QString title = QString("Key %1").arg(n);
                title += type != 2 ? "" : n == 9 ? ", Jack IN" : n == 10 ? ", Jack OUT" : "";
                auto* key = child(editor, QString("key%1Btn").arg(n));
                QString spoken = code.isEmpty() ? kSpoken[n - 1] : code;
                QCOMPARE(said(key, QAccessible::Name), title + ", code " + spoken);
                QCOMPARE(said(key, QAccessible::Description), state);
                QCOMPARE(said(child(editor, QString("modifierBtn%1").arg(n)), QAccessible::Name),
                         title + (n % 3 == 0 ? " modifier, Left Shift" : " modifier, None"));
                if (state == "not selected") {
                    key->click();
                }
            }
        };
        check({}, "not selected");
        check({}, "selected");
        emit child<QComboBox>(editor, "selectCodeCbox")->activated(0x28);
        check("0x28, Enter", "assigned");
        QCOMPARE(child(editor, "key6Btn")->toolTip(), QString("Left Shift + Enter"));
    }

  private slots:
    void init() { world = std::make_unique<EditorWorld>(); }
    void cleanup() { world.reset(); }

    void namesAndDescriptionsFollowEveryKey() {
        const struct {
            int type, ways;
            QList<int> absent;
        } cases[] = {{2, 0, {1, 3, 5}}, {2, 1, {1, 3}}, {2, 2, {}}, {5, 2, {}}, {8, 2, {}}};
        for (const auto& [type, ways, absent] : cases) {
            auto editor = reopen(type, ways);
            namesFollowEveryKey(editor, type, absent);
        }
    }
    // Keys 1 and 3 selected and given Enter, as two clicks and a list choice would.
    void keyboardAloneAssignsAndApplies() {
        auto editor = open(8);
        tabTo(child(editor, "key1Btn"));
        press(Qt::Key_Space);
        for (int step = 0; step < 4; ++step) {
            press(Qt::Key_Right);  // modifier 2, key 2, modifier 3, key 3
        }
        QCOMPARE(QApplication::focusWidget(), child(editor, "key3Btn"));
        press(Qt::Key_Return);
        press(Qt::Key_Down, Qt::AltModifier);
        auto* codes = child<QComboBox>(editor, "selectCodeCbox");
        QTRY_VERIFY(codes->view()->isVisible());
        QTest::keyClicks(codes->view(), "enter");
        QTest::keyClick(codes->view(), Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), child(editor, "key3Btn"));
        tabTo(child(editor, "applyBtn"));
        press(Qt::Key_Return);
        QTRY_VERIFY(editor.isNull());
        auto expected = fieldsFor(8).keyCodeArray;
        expected[1] = expected[5] = 0x28;
        QCOMPARE(table(), expected);
    }

    void typingFindsAnEntryByAnyPartOfIt() {
        // Whether in the code list (else the modifier list), what is typed, the row found.
        const std::tuple<int, bool, QString, int> cases[] = {
            {8, true, "f13", 0x68},
            {8, true, "enter", 0x28},
            {2, true, "0x28", 0x28},
            {8, true, "f13#", 0x68},  // a slip is dropped
            {8, false, "left alt", 3}};
        for (const auto& [type, codes, typed, found] : cases) {
            auto editor = reopen(type);
            child(editor, codes ? "key2Btn" : "modifierBtn2")->click();
            auto* box = child<QComboBox>(editor, codes ? "selectCodeCbox" : "selectModifierCbox");
            box->setFocus();
            QTest::keyClicks(box, typed.left(1));  // on the closed list: opens, commits nothing
            QTRY_VERIFY(box->view()->isVisible());
            QTest::keyClicks(box->view(), typed.mid(1));
            QCOMPARE(box->view()->currentIndex().row(), found);
            QVERIFY(box->view()->height() <= 21 * box->view()->sizeHintForRow(0));
            QCOMPARE(editor->editor().code(2), uint8_t(0x12));
            QTest::keyClick(box->view(), Qt::Key_Return);
            QCOMPARE(codes ? editor->editor().code(2) : editor->editor().modifier(2), found);
        }
    }

    void closingAsksAboutUnappliedChanges() {
        using A = MessageBox::Answer;
        // The edit, the answer (-1: no question), refused, closed, commands sent.
        const std::tuple<const char*, int, bool, bool, int> cases[] = {
            {"select", -1, false, true, 0},
            {"reset", -1, false, true, 0},
            {"code", int(A::Discard), false, true, 0},
            {"code", int(A::Apply), false, true, 1},
            {"code", int(A::Apply), true, false, 1},
            {"code", int(A::Cancel), false, false, 0}};
        for (const auto& [edit, answer, refused, closed, sent] : cases) {
            auto editor = reopen(5);
            child(editor, "key7Btn")->click();
            if (QString(edit) != "select") {
                emit child<QComboBox>(editor, "selectCodeCbox")->activated(0x68);
            }
            if (QString(edit) == "reset") {
                child(editor, "resetBtn")->click();
            }
            MessageBox::setNextAnswer(A(answer));
            world->simulation.keypad->faults.refuse = refused;
            int before = world->commands();
            press(Qt::Key_Escape);
            const Box asked = questionBox(kUnappliedChangesQuestion, "Vorla USB Encoder",
                                          MessageBox::Buttons::ApplyDiscardCancel);
            QCOMPARE(takeBoxes(), answer >= 0 ? QList{asked} : QList<Box>());
            QCOMPARE(world->ui.warnings().size(), size_t(refused ? 1 : 0));
            QTRY_COMPARE(editor.isNull(), closed);
            QCOMPARE(world->commands() - before, sent);
            if (closed && sent) {
                QCOMPARE(table()[13], uint8_t(0x68));
            }
        }
    }
};

QTEST_MAIN(EditorAccessTest)
#include "editor_access_test.moc"
