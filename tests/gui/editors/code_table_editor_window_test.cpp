// The code-table editor windows against the simulated keypad: families, first looks, apply,
// pictures, and the editors as a screen reader and a keyboard-only user meet them.
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>

#include "editor_world.h"
#include "gui/editors/key_button.h"
#include "gui/editors/keypad_picture.h"
#include "gui/editors/keypad_picture_layout.h"

using namespace lumora_usb_encoder;
using namespace lumora_usb_encoder::testing;

namespace {

const QColor kRed(255, 0, 0);
const QColor kOrange(255, 165, 0);
const QColor kGreen(0, 128, 0);

QColor backColour(const QWidget* button) {
    return button->palette().color(QPalette::Button);
}

// The text of key n as fieldsFor() loads it.
QString loadedText(int n) {
    return "0x" + QString("%1").arg(0x10 + n, 2, 16, QChar('0')).toUpper();
}

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

class CodeTableEditorWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorWorld> world;

    // A new world per row, as a test slot would have; the window opened is the active one.
    QPointer<CodeTableEditorWindow> reopen(int type, int ways = 2,
                                           const char* keypad = "keys=16,type=8") {
        world.reset();
        world = std::make_unique<EditorWorld>(keypad);
        return open(type, ways);
    }
    QPointer<CodeTableEditorWindow> open(int type, int ways = 2) {
        auto* editor = world->open(fieldsFor(type, ways));
        if (editor != nullptr) {
            QApplication::setActiveWindow(editor);
        }
        return editor == nullptr || QTest::qWaitForWindowActive(editor) ? editor : nullptr;
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

    void opensTheFamilysWindowOrAsksForACustomisedTable() {
        for (int type : {0, 1, 3, 4, 6, 7, 9}) {
            QVERIFY(reopen(type).isNull());
            QCOMPARE(world->ui.messages.size(), size_t(1));
            QCOMPARE(world->ui.messages[0].text, std::string("Please select a customise table.."));
            QCOMPARE(world->ui.messages[0].caption, std::string("Vorla Quillon™"));
        }
        const std::tuple<int, int, QString, QString, QString> cases[] = {
            {2, 10, "My4way_layout", "Quillon™ Layout",
             "Customise Quillon™ Code Table\r\n       (USB Codes in Hex)"},
            {5, 12, "My12way_layout", "Customise 12 Way Keypad Table",
             "Customise 12 Way Code Table\r\n    (USB Codes in Hex)"},
            {8, 16, "My16way_layout", "Customise 16 Way Keypad Table",
             " Customise 16 Way Code Table\r\n           (USB Codes in Hex)\r\n"},
        };
        for (const auto& [type, keys, window, title, heading] : cases) {
            auto editor = reopen(type);
            QVERIFY(editor != nullptr);
            QVERIFY(world->ui.messages.empty());
            QCOMPARE(editor->objectName(), window);
            QCOMPARE(editor->windowTitle(), title);
            QCOMPARE(child<QLabel>(editor, "label1")->text(), heading);
            QCOMPARE(editor->parentWidget(), world->owner.get());
            QVERIFY(editor->isWindow() && editor->isVisible() && !editor->isModal());
            QVERIFY(child(editor, QString("key%1Btn").arg(keys)) != nullptr);
            QCOMPARE(child(editor, QString("key%1Btn").arg(keys + 1)), nullptr);
            QCOMPARE(child(editor, QString("modifierBtn%1").arg(keys + 1)), nullptr);
        }
    }

    // Each family shows the loaded table in its own first looks; Reset brings the table back
    // without a word to the keypad.
    void showsTheLoadedTableAndResetPutsItBack() {
        for (auto [type, listLength] : {std::pair{2, 130}, {5, 256}, {8, 256}}) {
            auto editor = reopen(type);
            QVERIFY(editor != nullptr);
            auto* codes = child<QComboBox>(editor, "selectCodeCbox");
            auto* modifiers = child<QComboBox>(editor, "selectModifierCbox");
            QCOMPARE(codes->count(), listLength);
            QCOMPARE(codes->placeholderText(), QString("Select Code"));
            QCOMPARE(modifiers->count(), 9);
            QCOMPARE(modifiers->placeholderText(), QString("Modifier"));
            QVERIFY(codes->isHidden() && modifiers->isHidden());
            QColor normal = backColour(child(editor, "modifierBtn1"));
            auto showsLoaded = [&, type = type](bool touched) {
                for (int n = 1; n <= editor->editor().keyCount(); ++n) {
                    auto* key = child<KeyButton>(editor, QString("key%1Btn").arg(n));
                    QCOMPARE(key->text(), loadedText(n));
                    QColor first = type != 2 || touched ? kRed
                                   : n == 9             ? QColor(255, 0, 255)
                                   : n == 10            ? QColor(128, 128, 128)
                                                        : QColor(Qt::transparent);
                    QCOMPARE(key->backColour(), first);
                    auto* modifier = child(editor, QString("modifierBtn%1").arg(n));
                    QCOMPARE(modifier->text(), QString(n % 3 == 0 ? "Left Shift" : " None"));
                    QCOMPARE(backColour(modifier), normal);
                }
            };
            showsLoaded(false);
            int commands = world->commands();
            for (const char* button : {"key1Btn", "key8Btn", "modifierBtn3"}) {
                child(editor, button)->click();
            }
            emit modifiers->activated(8);
            emit codes->activated(0x3A);
            child(editor, "key7Btn")->click();  // left selected
            child(editor, "modifierBtn9")->click();
            child(editor, "resetBtn")->click();
            showsLoaded(true);  // every key counts as touched
            QCOMPARE(world->commands(), commands);
            QVERIFY(world->tables.empty());
        }
    }

    // What the payload holds is the editor's; here that the window's choices reach it.
    void applySendsTheTableAndCloses() {
        const std::tuple<const char*, int, int> cases[] = {{"keys=5,type=2,options=4", 2, 20},
                                                           {"keys=12,type=5", 5, 32},
                                                           {"keys=16,type=8", 8, 32}};
        for (const auto& [keypad, type, length] : cases) {
            QPointer<CodeTableEditorWindow> editor = reopen(type, 0, keypad);
            child(editor, "modifierBtn5")->click();
            emit child<QComboBox>(editor, "selectModifierCbox")->activated(3);
            child(editor, "modifierBtn6")->click();
            emit child<QComboBox>(editor, "selectModifierCbox")->activated(0);
            child(editor, "applyBtn")->click();
            QCOMPARE(world->ui.busyDepth, 0);
            QVERIFY(world->ui.messages.empty());
            QTRY_VERIFY(editor.isNull());
            QCOMPARE(world->tables.size(), size_t(1));
            const auto& payload = world->tables[0];
            QCOMPARE(int(payload.size()), length);
            QCOMPARE(payload[8], uint8_t(0xE2));
            QCOMPARE(payload[10], uint8_t(0x00));  // key 6 had Left Shift, now none
            QCOMPARE(payload[11], uint8_t(0x16));
            QCOMPARE(world->simulation.keypad->current().customTable[8], uint8_t(0xE2));
        }
    }

    void failedApplyWarnsAndKeepsTheWindowAsItWas() {
        for (auto [type, caption] :
             {std::pair{2, "Vorla Quillon™"}, {5, "Vorla USB Encoder"}, {8, "Vorla USB Encoder"}}) {
            QPointer<CodeTableEditorWindow> editor = reopen(type);
            child(editor, "key1Btn")->click();
            emit child<QComboBox>(editor, "selectCodeCbox")->activated(0x28);
            child(editor, "key2Btn")->click();
            child(editor, "modifierBtn2")->click();
            world->simulation.keypad->faults.refuse = true;
            child(editor, "applyBtn")->click();
            QCOMPARE(world->ui.warnings(), std::vector<std::string>{"Unable to Load Table.."});
            QCOMPARE(world->ui.messages[0].caption, std::string(caption));
            QCOMPARE(world->ui.busyDepth, 0);
            QTest::qWait(10);
            QVERIFY(!editor.isNull() && editor->isVisible());
            QCOMPARE(child(editor, "key1Btn")->text(), QString("0x28"));
            QCOMPARE(backColour(child(editor, "key1Btn")), kGreen);
            QCOMPARE(backColour(child(editor, "key2Btn")), kOrange);
            QCOMPARE(backColour(child(editor, "modifierBtn2")), kOrange);
            world->simulation.keypad->faults.refuse = false;
            child(editor, "applyBtn")->click();
            QCOMPARE(world->tables.size(), size_t(2));
            QCOMPARE(world->tables[0], world->tables[1]);
            QTRY_VERIFY(editor.isNull());
        }
    }

    void smallKeypadLaysItsKeysOverItsPicture() {
        const std::pair<int, QList<int>> cases[] = {{0, {1, 3, 5}}, {1, {1, 3}}, {2, {}}};
        for (const auto& [ways, hidden] : cases) {
            auto editor = reopen(2, ways);
            auto* picture = child<QLabel>(editor, "pictureBox1");
            QVERIFY(picture != nullptr && !picture->pixmap().isNull());
            for (int n = 1; n <= 8; ++n) {
                auto* key = child<KeyButton>(editor, QString("key%1Btn").arg(n));
                QCOMPARE(key->parentWidget(), picture);
                QVERIFY(!key->backdrop().isNull());
                QVERIFY(picture->rect().contains(key->geometry()));
                QCOMPARE(key->isHidden(), hidden.contains(n));
                QCOMPARE(child(editor, QString("modifierBtn%1").arg(n))->isHidden(),
                         hidden.contains(n));
            }
            for (auto [box, title, key] :
                 {std::tuple{"groupBox1", "JACK IN", 9}, std::tuple{"groupBox2", "JACK OUT", 10}}) {
                auto* group = child<QGroupBox>(editor, box);
                QCOMPARE(group->title(), QString(title));
                QCOMPARE(child(editor, QString("key%1Btn").arg(key))->parentWidget(), group);
                QCOMPARE(child(editor, QString("modifierBtn%1").arg(key))->parentWidget(), group);
                QCOMPARE(group->palette().color(QPalette::Window), QColor(192, 255, 255));
            }
        }
        // Keys drawn over the picture must still show whether they are selected or assigned.
        auto editor = reopen(2);
        auto* key = child<KeyButton>(editor, "key2Btn");
        auto tone = [&] {
            QImage image = key->grab().toImage();
            QColor c =
                image.pixelColor(8, image.height() / 2);  // inside the focus frame, beside the text
            return c.red() - c.blue();
        };
        int plain = tone();
        key->click();
        int selected = tone();
        emit child<QComboBox>(editor, "selectCodeCbox")->activated(0x04);
        QImage assigned = key->grab().toImage();
        QColor green = assigned.pixelColor(8, assigned.height() / 2);
        QVERIFY2(selected > plain + 60, qPrintable(QString("%1 %2").arg(plain).arg(selected)));
        QVERIFY(green.green() > green.red() + 30 && green.green() > green.blue() + 30);
    }

    // Built in, a key the keypad lacks leaves the housing plain: no empty well beside the
    // buttons. A picture file in the current folder takes precedence.
    void picturesShowOnlyTheKeypadsKeysUnlessAFileTakesPrecedence() {
        QTemporaryDir folder;
        QString previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
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
        QImage builtIn = loadKeypadPicture("parvo8Way.jpg").toImage();
        QImage blue(200, 150, QImage::Format_RGB32);
        blue.fill(QColor(0, 0, 255));
        QVERIFY(blue.save(folder.filePath("parvo8Way.jpg"), "JPG"));
        QImage fromFile = loadKeypadPicture("parvo8Way.jpg").toImage();
        QFile garbage(folder.filePath("parvo8Way.jpg"));
        QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write("not a picture") > 0);
        garbage.close();
        QImage fallback = loadKeypadPicture("parvo8Way.jpg").toImage();
        QDir::setCurrent(previous);

        QCOMPARE(fromFile.size(), builtIn.size());  // scaled to where the keys lie
        QColor centre = fromFile.pixelColor(fromFile.rect().center());
        QVERIFY2(centre.blue() > 230 && centre.red() < 25, qPrintable(centre.name()));
        QCOMPARE(fallback, builtIn);  // a file that is no picture leaves the built-in one
    }

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

QTEST_MAIN(CodeTableEditorWindowTest)
#include "code_table_editor_window_test.moc"
