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
#include <QPushButton>
#include <QTemporaryDir>

#include "../gui_world.h"
#include "device/keypad_service.h"
#include "gui/editors/code_table_editor_launch.h"
#include "gui/editors/code_table_editor_window.h"
#include "gui/editors/key_button.h"
#include "gui/editors/keypad_picture.h"
#include "gui/editors/keypad_picture_layout.h"
#include "settings/keypad_fields.h"

using namespace lumora_usb_encoder;
using namespace lumora_usb_encoder::testing;

namespace {

const QColor kRed(255, 0, 0);
const QColor kOrange(255, 165, 0);
const QColor kGreen(0, 128, 0);

// Key n holds code 0x10 + n, every third key Left Shift.
KeypadFields fieldsFor(int keypadType, int ways = 2) {
    KeypadFields fields;
    fields.prev_keypadType_index = keypadType;
    fields.noOfWayKeypad = ways;
    for (size_t n = 1; n <= 16; ++n) {
        fields.keyCodeArray[2 * (n - 1)] = n % 3 == 0 ? 0xE1 : 0x00;
        fields.keyCodeArray[2 * (n - 1) + 1] = static_cast<uint8_t>(0x10 + n);
    }
    return fields;
}

QColor backColour(const QWidget* button) {
    return button->palette().color(QPalette::Button);
}

QPushButton* button(QWidget* window, const QString& name) {
    return must<QPushButton>(window, name);
}
KeyButton* key(QWidget* window, int n) {
    return must<KeyButton>(window, QString("key%1Btn").arg(n));
}
QPushButton* modifier(QWidget* window, int n) {
    return must<QPushButton>(window, QString("modifierBtn%1").arg(n));
}

// The text of key n as fieldsFor() loads it.
QString loadedText(int n) {
    return "0x" + QString("%1").arg(0x10 + n, 2, 16, QChar('0')).toUpper();
}

// What keys 1-16 hold as fieldsFor() loads them, as a listener hears it.
const QStringList kSpoken = {
    "0x11, n and N", "0x12, o and O", "0x13, p and P", "0x14, q and Q",
    "0x15, r and R", "0x16, s and S", "0x17, t and T", "0x18, u and U",
    "0x19, v and V", "0x1A, w and W", "0x1B, x and X", "0x1C, y and Y",
    "0x1D, z and Z", "0x1E, 1 and !", "0x1F, 2 and @", "0x20, 3 and #",
};

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

    std::unique_ptr<GuiWorld> world;
    std::unique_ptr<QWidget> owner;  // the main window's place: it owns the editors
    std::shared_ptr<KeypadService> service = std::make_shared<KeypadService>();

    void start(const std::string& keypad) {
        cleanup();
        world = std::make_unique<GuiWorld>(keypad, WorldOptions{.openKeypad = true});
        owner = std::make_unique<QWidget>();
    }
    // The window opened is the active one.
    QPointer<CodeTableEditorWindow> open(int type, int ways = 2) {
        QWidget* opened =
            openCodeTableEditor(fieldsFor(type, ways), owner.get(), world->ui, service);
        auto* editor = qobject_cast<CodeTableEditorWindow*>(opened);
        if (editor != nullptr) {
            QApplication::setActiveWindow(editor);
        }
        return editor == nullptr || QTest::qWaitForWindowActive(editor) ? editor : nullptr;
    }
    QPointer<CodeTableEditorWindow> reopen(int type, int ways = 2,
                                           const std::string& keypad = "keys=16,type=8") {
        start(keypad);
        return open(type, ways);
    }
    std::array<uint8_t, 32>& table() { return world->keypad().current().customTable; }
    int commands() { return world->keypad().commandsReceived(); }
    std::vector<std::vector<uint8_t>> tables() { return world->payloadsOf(Command::CodeTable); }

    void namesFollowEveryKey(CodeTableEditorWindow* editor, int type, const QList<int>& absent) {
        QCOMPARE(QAccessible::queryAccessibleInterface(editor)->role(), QAccessible::Dialog);
        QCOMPARE(said(editor, QAccessible::Name), editor->windowTitle());
        for (const char* name :
             {"selectCodeCbox", "selectModifierCbox", "resetBtn", "applyBtn", "exitBtn"}) {
            auto* control = must(editor, name);
            QVERIFY2(!said(control, QAccessible::Name).isEmpty(), name);
            QVERIFY2(!said(control, QAccessible::Description).isEmpty(), name);
        }
        auto check = [&](const QString& code, const QString& state) {
            for (int n = 1; n <= editor->editor().keyCount(); ++n) {
                if (absent.contains(n)) {
                    continue;
                }
                QString title = QString("Key %1").arg(n);
                title += type != 2 ? "" : n == 9 ? ", Jack IN" : n == 10 ? ", Jack OUT" : "";
                QString spoken = code.isEmpty() ? kSpoken[n - 1] : code;
                QString modifierName = n % 3 == 0 ? " modifier, Left Shift" : " modifier, None";
                QCOMPARE(said(key(editor, n), QAccessible::Name), title + ", code " + spoken);
                QCOMPARE(said(key(editor, n), QAccessible::Description), state);
                QCOMPARE(said(modifier(editor, n), QAccessible::Name), title + modifierName);
                if (state == "not selected") {
                    key(editor, n)->click();
                }
            }
        };
        check({}, "not selected");
        check({}, "selected");
        emit must<QComboBox>(editor, "selectCodeCbox")->activated(0x28);
        check("0x28, Enter", "assigned");
        QCOMPARE(key(editor, 6)->toolTip(), QString("Left Shift + Enter"));
    }

  private slots:
    void init() { start("keys=16,type=8"); }
    void cleanup() {
        owner.reset();  // takes the editors it owns with it, before the keypad goes
        world.reset();
    }

    void asksForACustomisedTable_data() {
        QTest::addColumn<int>("type");
        QTest::addRow("SmallDefault") << 0;
        QTest::addRow("SmallAlternate") << 1;
        QTest::addRow("TwelveKeysDefault") << 3;
        QTest::addRow("TwelveKeysAlternate") << 4;
        QTest::addRow("SixteenKeysDefault") << 6;
        QTest::addRow("SixteenKeysAlternate") << 7;
        QTest::addRow("UnknownType") << 9;
    }
    void asksForACustomisedTable() {
        QFETCH(int, type);
        QVERIFY(reopen(type).isNull());
        QCOMPARE(world->ui.messages.size(), size_t(1));
        QCOMPARE(world->ui.messages[0].text, std::string("Please select a customise table.."));
        QCOMPARE(world->ui.messages[0].caption, std::string("Vorla Quillon™"));
    }

    void opensTheFamilysWindow_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("keys");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("heading");
        QTest::addRow("SmallKeypads")
            << 2 << 10 << "My4way_layout"
            << "Quillon™ Layout"
            << "Customise Quillon™ Code Table\r\n       (USB Codes in Hex)";
        QTest::addRow("TwelveKeys") << 5 << 12 << "My12way_layout"
                                    << "Customise 12 Way Keypad Table"
                                    << "Customise 12 Way Code Table\r\n    (USB Codes in Hex)";
        QTest::addRow("SixteenKeys")
            << 8 << 16 << "My16way_layout"
            << "Customise 16 Way Keypad Table"
            << " Customise 16 Way Code Table\r\n           (USB Codes in Hex)\r\n";
    }
    void opensTheFamilysWindow() {
        QFETCH(int, type);
        QFETCH(int, keys);
        QFETCH(QString, window);
        QFETCH(QString, title);
        QFETCH(QString, heading);
        auto editor = reopen(type);
        QVERIFY(editor != nullptr);
        QVERIFY(world->ui.messages.empty());
        QCOMPARE(editor->objectName(), window);
        QCOMPARE(editor->windowTitle(), title);
        QCOMPARE(must<QLabel>(editor, "label1")->text(), heading);
        QCOMPARE(editor->parentWidget(), owner.get());
        QVERIFY(editor->isWindow());
        QVERIFY(editor->isVisible());
        QVERIFY(!editor->isModal());
        QVERIFY(child(editor, QString("key%1Btn").arg(keys)) != nullptr);
        QCOMPARE(child(editor, QString("key%1Btn").arg(keys + 1)), nullptr);
        QCOMPARE(child(editor, QString("modifierBtn%1").arg(keys + 1)), nullptr);
    }

    // Each family shows the loaded table in its own first looks; Reset brings the table back
    // without a word to the keypad.
    void showsTheLoadedTableAndResetPutsItBack_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("listLength");
        QTest::addRow("SmallKeypadsShortList") << 2 << 130;
        QTest::addRow("TwelveKeys") << 5 << 256;
        QTest::addRow("SixteenKeys") << 8 << 256;
    }
    void showsTheLoadedTableAndResetPutsItBack() {
        QFETCH(int, type);
        QFETCH(int, listLength);
        auto editor = reopen(type);
        QVERIFY(editor != nullptr);
        auto* codes = must<QComboBox>(editor, "selectCodeCbox");
        auto* modifiers = must<QComboBox>(editor, "selectModifierCbox");
        QCOMPARE(codes->count(), listLength);
        QCOMPARE(codes->placeholderText(), QString("Select Code"));
        QCOMPARE(modifiers->count(), 9);
        QCOMPARE(modifiers->placeholderText(), QString("Modifier"));
        QVERIFY(codes->isHidden());
        QVERIFY(modifiers->isHidden());
        const QColor normal = backColour(modifier(editor, 1));
        const int keys = editor->editor().keyCount();
        // Per key: its text, its colour, its modifier's text and colour; first as loaded, then
        // after Reset, when every key counts as touched.
        auto looks = [&] {
            QStringList texts;
            QList<QColor> colours;
            for (int n = 1; n <= keys; ++n) {
                texts << key(editor, n)->text() + " " + modifier(editor, n)->text();
                colours << key(editor, n)->backColour() << backColour(modifier(editor, n));
            }
            return std::pair(texts, colours);
        };
        auto loaded = [&](bool touched) {
            QStringList texts;
            QList<QColor> colours;
            for (int n = 1; n <= keys; ++n) {
                texts << loadedText(n) + " " + (n % 3 == 0 ? "Left Shift" : " None");
                QColor first = type != 2 || touched ? kRed
                               : n == 9             ? QColor(255, 0, 255)
                               : n == 10            ? QColor(128, 128, 128)
                                                    : QColor(Qt::transparent);
                colours << first << normal;
            }
            return std::pair(texts, colours);
        };
        QCOMPARE(looks().first, loaded(false).first);
        QCOMPARE(looks().second, loaded(false).second);
        int before = commands();
        for (const char* name : {"key1Btn", "key8Btn", "modifierBtn3"}) {
            button(editor, name)->click();
        }
        emit modifiers->activated(8);
        emit codes->activated(0x3A);
        key(editor, 7)->click();  // left selected
        modifier(editor, 9)->click();
        button(editor, "resetBtn")->click();
        QCOMPARE(looks().first, loaded(true).first);
        QCOMPARE(looks().second, loaded(true).second);
        QCOMPARE(commands(), before);
        QVERIFY(tables().empty());
    }

    // What the payload holds is the editor's; here that the window's choices reach it.
    void applySendsTheTableAndCloses_data() {
        QTest::addColumn<QString>("keypad");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("length");
        QTest::addRow("FiveKeys") << "keys=5,type=2,options=4" << 2 << 20;
        QTest::addRow("TwelveKeys") << "keys=12,type=5" << 5 << 32;
        QTest::addRow("SixteenKeys") << "keys=16,type=8" << 8 << 32;
    }
    void applySendsTheTableAndCloses() {
        QFETCH(QString, keypad);
        QFETCH(int, type);
        QFETCH(int, length);
        QPointer<CodeTableEditorWindow> editor = reopen(type, 0, keypad.toStdString());
        modifier(editor, 5)->click();
        emit must<QComboBox>(editor, "selectModifierCbox")->activated(3);
        modifier(editor, 6)->click();
        emit must<QComboBox>(editor, "selectModifierCbox")->activated(0);
        button(editor, "applyBtn")->click();
        QCOMPARE(world->ui.busyDepth, 0);
        QVERIFY(world->ui.messages.empty());
        QTRY_VERIFY(editor.isNull());
        QCOMPARE(tables().size(), size_t(1));
        const auto payload = tables()[0];
        QCOMPARE(int(payload.size()), length);
        QCOMPARE(payload[8], uint8_t(0xE2));
        QCOMPARE(payload[10], uint8_t(0x00));  // key 6 had Left Shift, now none
        QCOMPARE(payload[11], uint8_t(0x16));
        QCOMPARE(table()[8], uint8_t(0xE2));
    }

    void failedApplyWarnsAndKeepsTheWindowAsItWas_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("caption");
        QTest::addRow("SmallKeypads") << 2 << "Vorla Quillon™";
        QTest::addRow("TwelveKeys") << 5 << "Vorla USB Encoder";
        QTest::addRow("SixteenKeys") << 8 << "Vorla USB Encoder";
    }
    void failedApplyWarnsAndKeepsTheWindowAsItWas() {
        QFETCH(int, type);
        QFETCH(QString, caption);
        QPointer<CodeTableEditorWindow> editor = reopen(type);
        key(editor, 1)->click();
        emit must<QComboBox>(editor, "selectCodeCbox")->activated(0x28);
        key(editor, 2)->click();
        modifier(editor, 2)->click();
        world->keypad().faults.refuse = true;
        button(editor, "applyBtn")->click();
        QCOMPARE(world->ui.warnings(), std::vector<std::string>{"Unable to Load Table.."});
        QCOMPARE(world->ui.messages[0].caption, caption.toStdString());
        QCOMPARE(world->ui.busyDepth, 0);
        QTest::qWait(10);
        QVERIFY(!editor.isNull());
        QVERIFY(editor->isVisible());
        QCOMPARE(key(editor, 1)->text(), QString("0x28"));
        QCOMPARE(backColour(key(editor, 1)), kGreen);
        QCOMPARE(backColour(key(editor, 2)), kOrange);
        QCOMPARE(backColour(modifier(editor, 2)), kOrange);
        world->keypad().faults.refuse = false;
        button(editor, "applyBtn")->click();
        QCOMPARE(tables().size(), size_t(2));
        QCOMPARE(tables()[0], tables()[1]);
        QTRY_VERIFY(editor.isNull());
    }

    void smallKeypadLaysItsKeysOverItsPicture_data() {
        QTest::addColumn<int>("ways");
        QTest::addColumn<QList<int>>("hidden");
        QTest::addRow("FiveKeys") << 0 << QList<int>{1, 3, 5};
        QTest::addRow("SixKeys") << 1 << QList<int>{1, 3};
        QTest::addRow("EightKeys") << 2 << QList<int>{};
    }
    void smallKeypadLaysItsKeysOverItsPicture() {
        QFETCH(int, ways);
        QFETCH(QList<int>, hidden);
        auto editor = reopen(2, ways);
        auto* picture = must<QLabel>(editor, "pictureBox1");
        QVERIFY(!picture->pixmap().isNull());
        QList<int> hiddenKeys, hiddenModifiers, offThePicture;
        for (int n = 1; n <= 8; ++n) {
            bool over = key(editor, n)->parentWidget() == picture &&
                        !key(editor, n)->backdrop().isNull() &&
                        picture->rect().contains(key(editor, n)->geometry());
            if (!over) {
                offThePicture << n;
            }
            if (key(editor, n)->isHidden()) {
                hiddenKeys << n;
            }
            if (modifier(editor, n)->isHidden()) {
                hiddenModifiers << n;
            }
        }
        QCOMPARE(offThePicture, QList<int>{});
        QCOMPARE(hiddenKeys, hidden);
        QCOMPARE(hiddenModifiers, hidden);
        for (auto [box, title, n] :
             {std::tuple{"groupBox1", "JACK IN", 9}, std::tuple{"groupBox2", "JACK OUT", 10}}) {
            auto* group = must<QGroupBox>(editor, box);
            QCOMPARE(group->title(), QString(title));
            QCOMPARE(key(editor, n)->parentWidget(), group);
            QCOMPARE(modifier(editor, n)->parentWidget(), group);
            QCOMPARE(group->palette().color(QPalette::Window), QColor(192, 255, 255));
        }
    }

    // Keys drawn over the picture must still show whether they are selected or assigned.
    void keysOverThePictureShowSelectionAndAssignment() {
        auto editor = reopen(2);
        auto* drawn = key(editor, 2);
        // Inside the focus frame, beside the text.
        auto colour = [&] {
            QImage image = drawn->grab().toImage();
            return image.pixelColor(8, image.height() / 2);
        };
        auto tone = [&] { return colour().red() - colour().blue(); };
        int plain = tone();
        drawn->click();
        int selected = tone();
        emit must<QComboBox>(editor, "selectCodeCbox")->activated(0x04);
        QColor green = colour();
        QVERIFY2(selected > plain + 60, qPrintable(QString("%1 %2").arg(plain).arg(selected)));
        QVERIFY2(green.green() > green.red() + 30, qPrintable(green.name()));
        QVERIFY2(green.green() > green.blue() + 30, qPrintable(green.name()));
    }

    // Built in, a key the keypad lacks leaves the housing plain: no empty well beside the
    // buttons.
    void picturesShowOnlyTheKeypadsKeys_data() {
        QTest::addColumn<int>("ways");
        QTest::addRow("FiveKeys") << 0;
        QTest::addRow("SixKeys") << 1;
        QTest::addRow("EightKeys") << 2;
    }
    void picturesShowOnlyTheKeypadsKeys() {
        QFETCH(int, ways);
        QTemporaryDir folder;  // no picture file where the built-in ones are looked for
        QString previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
        const auto& variant = smallKeypadVariant(ways);
        QImage picture = loadKeypadPicture(variant.pictureFile).toImage();
        QDir::setCurrent(previous);
        for (int n = 1; n <= 8; ++n) {
            const auto& place = kPictureKeyRects[size_t(n - 1)];
            int y = place.y + place.height / 2;
            int well = picture.pixelColor(place.x - 4, y).lightness();
            int housing = picture.pixelColor(place.x - 20, y).lightness();
            bool present = ((variant.hiddenKeys >> (n - 1)) & 1U) == 0;
            bool looksRight = present ? well < housing - 10 : std::abs(well - housing) < 6;
            QVERIFY2(looksRight, qPrintable(QString("key %1").arg(n)));
        }
    }

    // A picture file in the current folder takes precedence.
    void aPictureFileTakesPrecedenceUnlessItIsNoPicture() {
        QTemporaryDir folder;
        QString previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
        QImage builtIn = loadKeypadPicture("parvo8Way.jpg").toImage();
        QImage blue(200, 150, QImage::Format_RGB32);
        blue.fill(QColor(0, 0, 255));
        QVERIFY(blue.save(folder.filePath("parvo8Way.jpg"), "JPG"));
        QImage fromFile = loadKeypadPicture("parvo8Way.jpg").toImage();
        QFile garbage(folder.filePath("parvo8Way.jpg"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        QVERIFY(garbage.write("not a picture") > 0);
        garbage.close();
        QImage fallback = loadKeypadPicture("parvo8Way.jpg").toImage();
        QDir::setCurrent(previous);

        QCOMPARE(fromFile.size(), builtIn.size());  // scaled to where the keys lie
        QColor centre = fromFile.pixelColor(fromFile.rect().center());
        QVERIFY2(centre.blue() > 230, qPrintable(centre.name()));
        QVERIFY2(centre.red() < 25, qPrintable(centre.name()));
        QCOMPARE(fallback, builtIn);  // a file that is no picture leaves the built-in one
    }

    void namesAndDescriptionsFollowEveryKey_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("ways");
        QTest::addColumn<QList<int>>("absent");
        QTest::addRow("FiveKeys") << 2 << 0 << QList<int>{1, 3, 5};
        QTest::addRow("SixKeys") << 2 << 1 << QList<int>{1, 3};
        QTest::addRow("EightKeys") << 2 << 2 << QList<int>{};
        QTest::addRow("TwelveKeys") << 5 << 2 << QList<int>{};
        QTest::addRow("SixteenKeys") << 8 << 2 << QList<int>{};
    }
    void namesAndDescriptionsFollowEveryKey() {
        QFETCH(int, type);
        QFETCH(int, ways);
        QFETCH(QList<int>, absent);
        auto editor = reopen(type, ways);
        namesFollowEveryKey(editor, type, absent);
    }

    // Keys 1 and 3 selected and given Enter, as two clicks and a list choice would.
    void keyboardAloneAssignsAndApplies() {
        auto editor = open(8);
        tabTo(key(editor, 1));
        press(Qt::Key_Space);
        for (int step = 0; step < 4; ++step) {
            press(Qt::Key_Right);  // modifier 2, key 2, modifier 3, key 3
        }
        QCOMPARE(QApplication::focusWidget(), key(editor, 3));
        press(Qt::Key_Return);
        press(Qt::Key_Down, Qt::AltModifier);
        auto* codes = must<QComboBox>(editor, "selectCodeCbox");
        QTRY_VERIFY(codes->view()->isVisible());
        QTest::keyClicks(codes->view(), "enter");
        QTest::keyClick(codes->view(), Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), key(editor, 3));
        tabTo(button(editor, "applyBtn"));
        press(Qt::Key_Return);
        QTRY_VERIFY(editor.isNull());
        auto expected = fieldsFor(8).keyCodeArray;
        expected[1] = expected[5] = 0x28;
        QCOMPARE(table(), expected);
    }

    void typingFindsAnEntryByAnyPartOfIt_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("codes");  // in the code list, else the modifier list
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("found");  // the row
        QTest::addRow("CodeByName") << 8 << true << "f13" << 0x68;
        QTest::addRow("CodeByWord") << 8 << true << "enter" << 0x28;
        QTest::addRow("ShortListByCode") << 2 << true << "0x28" << 0x28;
        QTest::addRow("SlipIsDropped") << 8 << true << "f13#" << 0x68;
        QTest::addRow("Modifier") << 8 << false << "left alt" << 3;
    }
    void typingFindsAnEntryByAnyPartOfIt() {
        QFETCH(int, type);
        QFETCH(bool, codes);
        QFETCH(QString, typed);
        QFETCH(int, found);
        auto editor = reopen(type);
        (codes ? key(editor, 2) : modifier(editor, 2))->click();
        auto* box = must<QComboBox>(editor, codes ? "selectCodeCbox" : "selectModifierCbox");
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

    void closingAsksAboutUnappliedChanges_data() {
        using A = MessageBox::Answer;
        QTest::addColumn<QString>("edit");
        QTest::addColumn<int>("answer");  // -1: no question
        QTest::addColumn<bool>("refused");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<int>("sent");  // commands
        QTest::addRow("SelectedOnly") << "select" << -1 << false << true << 0;
        QTest::addRow("ResetUndoesTheEdit") << "reset" << -1 << false << true << 0;
        QTest::addRow("Discarded") << "code" << int(A::Discard) << false << true << 0;
        QTest::addRow("Applied") << "code" << int(A::Apply) << false << true << 1;
        QTest::addRow("ApplyRefused") << "code" << int(A::Apply) << true << false << 1;
        QTest::addRow("Cancelled") << "code" << int(A::Cancel) << false << false << 0;
    }
    void closingAsksAboutUnappliedChanges() {
        QFETCH(QString, edit);
        QFETCH(int, answer);
        QFETCH(bool, refused);
        QFETCH(bool, closed);
        QFETCH(int, sent);
        QPointer<CodeTableEditorWindow> editor = reopen(5);
        key(editor, 7)->click();
        if (edit != "select") {
            emit must<QComboBox>(editor, "selectCodeCbox")->activated(0x68);
        }
        if (edit == "reset") {
            button(editor, "resetBtn")->click();
        }
        MessageBox::setNextAnswer(MessageBox::Answer(answer));
        world->keypad().faults.refuse = refused;
        int before = commands();
        press(Qt::Key_Escape);
        const Box asked = questionBox(kUnappliedChangesQuestion, "Vorla USB Encoder",
                                      MessageBox::Buttons::ApplyDiscardCancel);
        QCOMPARE(takeBoxes(), answer >= 0 ? QList{asked} : QList<Box>());
        QCOMPARE(world->ui.warnings().size(), size_t(refused ? 1 : 0));
        if (closed) {
            QTRY_VERIFY(editor.isNull());
        } else {
            QTest::qWait(10);  // past the deferred delete a close would have posted
            QVERIFY(!editor.isNull());
            QVERIFY(editor->isVisible());
        }
        QCOMPARE(commands() - before, sent);
        if (closed && sent) {
            QCOMPARE(table()[13], uint8_t(0x68));
        }
    }
};

QTEST_MAIN(CodeTableEditorWindowTest)
#include "code_table_editor_window_test.moc"
