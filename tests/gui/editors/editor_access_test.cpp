// The editors as a screen reader and a keyboard-only user meet them.
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QPointer>

#include "editor_world.h"
#include "gui/editors/keypad_picture.h"
#include "gui/editors/keypad_picture_layout.h"

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

    QPointer<CodeTableEditorWindow> open(int type, int ways = 2) {
        auto* editor = world->open(fieldsFor(type, ways));
        QApplication::setActiveWindow(editor);
        return QTest::qWaitForWindowActive(editor) ? editor : nullptr;
    }
    static QPushButton* button(QWidget* window, const QString& name) { return child(window, name); }
    static QComboBox* list(QWidget* window, const QString& name) {
        return child<QComboBox>(window, name);
    }
    std::array<uint8_t, 32>& table() { return world->simulation.keypad->current().customTable; }

  private slots:
    void init() { world = std::make_unique<EditorWorld>(); }
    void cleanup() { world.reset(); }

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
        auto editor = open(type, ways);
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
                auto* key = button(editor, QString("key%1Btn").arg(n));
                QString spoken = code.isEmpty() ? kSpoken[n - 1] : code;
                QCOMPARE(said(key, QAccessible::Name), title + ", code " + spoken);
                QCOMPARE(said(key, QAccessible::Description), state);
                QCOMPARE(said(button(editor, QString("modifierBtn%1").arg(n)), QAccessible::Name),
                         title + (n % 3 == 0 ? " modifier, Left Shift" : " modifier, None"));
                if (state == "not selected") {
                    key->click();
                }
            }
        };
        check({}, "not selected");
        check({}, "selected");
        emit list(editor, "selectCodeCbox")->activated(0x28);
        check("0x28, Enter", "assigned");
        QCOMPARE(button(editor, "key6Btn")->toolTip(), QString("Left Shift + Enter"));
    }

    void keyboardAloneAssignsAndAppliesWhatTheMouseWould() {
        auto mouse = open(8);
        button(mouse, "key1Btn")->click();
        button(mouse, "key3Btn")->click();
        emit list(mouse, "selectCodeCbox")->activated(0x28);
        button(mouse, "applyBtn")->click();
        QTRY_VERIFY(mouse.isNull());
        auto byMouse = table();
        QCOMPARE(byMouse[5], uint8_t(0x28));
        table() = {};

        auto editor = open(8);
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
        QCOMPARE(table(), byMouse);
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
        auto editor = open(type);
        bool codes = list == "selectCodeCbox";
        button(editor, codes ? "key2Btn" : "modifierBtn2")->click();
        auto* box = this->list(editor, list);
        box->setFocus();
        QTest::keyClicks(box, typed.left(1));  // on the closed list: opens it, commits nothing
        QTRY_VERIFY(box->view()->isVisible());
        QTest::keyClicks(box->view(), typed.mid(1));
        QCOMPARE(box->view()->currentIndex().row(), found);
        QVERIFY(box->view()->height() <= 21 * box->view()->sizeHintForRow(0));
        QCOMPARE(editor->editor().code(2), uint8_t(0x12));
        QTest::keyClick(box->view(), Qt::Key_Return);
        QCOMPARE(codes ? editor->editor().code(2) : editor->editor().modifier(2), found);
    }

    void closingAsksAboutUnappliedChanges_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<int>("sent");
        int apply = int(MessageBox::Answer::Apply);
        QTest::addRow("only selected") << "select" << -1 << false << true << 0;
        QTest::addRow("edited, reset") << "reset" << -1 << false << true << 0;
        QTest::addRow("discard") << "code" << int(MessageBox::Answer::Discard) << false << true
                                 << 0;
        QTest::addRow("apply") << "code" << apply << false << true << 1;
        QTest::addRow("apply refused") << "code" << apply << true << false << 1;
        QTest::addRow("cancel") << "code" << int(MessageBox::Answer::Cancel) << false << false << 0;
    }
    void closingAsksAboutUnappliedChanges() {
        QFETCH(QString, edit);
        QFETCH(int, answer);
        QFETCH(bool, refused);
        QFETCH(bool, closed);
        QFETCH(int, sent);
        auto editor = open(5);
        button(editor, "key7Btn")->click();
        if (edit != "select") {
            emit list(editor, "selectCodeCbox")->activated(0x68);
        }
        if (edit == "reset") {
            button(editor, "resetBtn")->click();
        }
        MessageBox::setNextAnswer(MessageBox::Answer(answer));
        world->simulation.keypad->faults.refuse = refused;
        int before = world->commands();
        press(Qt::Key_Escape);
        auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), size_t(answer >= 0 ? 1 : 0));
        if (answer >= 0) {
            QCOMPARE(shown[0].caption, QString("Vorla USB Encoder"));
            QCOMPARE(shown[0].buttons, MessageBox::Buttons::ApplyDiscardCancel);
        }
        QCOMPARE(world->ui.warnings().size(), size_t(refused ? 1 : 0));
        QTRY_COMPARE(editor.isNull(), closed);
        QCOMPARE(world->commands() - before, sent);
        if (closed && sent) {
            QCOMPARE(table()[13], uint8_t(0x68));
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
