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

}  // namespace

class CodeTableEditorWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorWorld> world;
    CodeTableEditorWindow* open(const KeypadFields& fields) { return world->open(fields); }

  private slots:
    void init() { world = std::make_unique<EditorWorld>(); }
    void cleanup() { world.reset(); }

    void opensTheFamilysWindowOrAsksForACustomisedTable_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("keys");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("heading");
        for (int type : {0, 1, 3, 4, 6, 7, 9}) {
            QTest::addRow("type %d", type) << type << QString() << 0 << QString() << QString();
        }
        QTest::addRow("small") << 2 << "My4way_layout" << 10 << "Quillon™ Layout"
                               << "Customise Quillon™ Code Table\r\n       (USB Codes in Hex)";
        QTest::addRow("12 keys") << 5 << "My12way_layout" << 12 << "Customise 12 Way Keypad Table"
                                 << "Customise 12 Way Code Table\r\n    (USB Codes in Hex)";
        QTest::addRow("16 keys")
            << 8 << "My16way_layout" << 16 << "Customise 16 Way Keypad Table"
            << " Customise 16 Way Code Table\r\n           (USB Codes in Hex)\r\n";
    }
    void opensTheFamilysWindowOrAsksForACustomisedTable() {
        QFETCH(int, type);
        QFETCH(QString, window);
        QFETCH(int, keys);
        QFETCH(QString, title);
        QFETCH(QString, heading);
        auto* editor = open(fieldsFor(type));
        if (window.isEmpty()) {
            QCOMPARE(editor, nullptr);
            QCOMPARE(world->ui.messages.size(), size_t(1));
            QCOMPARE(world->ui.messages[0].text, std::string("Please select a customise table.."));
            QCOMPARE(world->ui.messages[0].caption, std::string("Vorla Quillon™"));
            return;
        }
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

    void showsTheLoadedTableWithTheFamilysFirstLooks_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("listLength");
        QTest::addRow("small") << 2 << 130;
        QTest::addRow("12 keys") << 5 << 256;
        QTest::addRow("16 keys") << 8 << 256;
    }
    void showsTheLoadedTableWithTheFamilysFirstLooks() {
        QFETCH(int, type);
        QFETCH(int, listLength);
        auto* editor = open(fieldsFor(type));
        QVERIFY(editor != nullptr);
        auto* codes = child<QComboBox>(editor, "selectCodeCbox");
        auto* modifiers = child<QComboBox>(editor, "selectModifierCbox");
        QCOMPARE(codes->count(), listLength);
        QCOMPARE(codes->placeholderText(), QString("Select Code"));
        QCOMPARE(modifiers->count(), 9);
        QCOMPARE(modifiers->placeholderText(), QString("Modifier"));
        QVERIFY(codes->isHidden() && modifiers->isHidden());
        bool small = type == 2;
        for (int n = 1; n <= editor->editor().keyCount(); ++n) {
            auto* key = child<KeyButton>(editor, QString("key%1Btn").arg(n));
            QCOMPARE(key->text(), loadedText(n));
            QColor first = !small    ? kRed
                           : n == 9  ? QColor(255, 0, 255)
                           : n == 10 ? QColor(128, 128, 128)
                                     : QColor(Qt::transparent);
            QCOMPARE(key->backColour(), first);
            auto* modifier = child(editor, QString("modifierBtn%1").arg(n));
            QCOMPARE(modifier->text(), QString(n % 3 == 0 ? "Left Shift" : " None"));
        }
    }

    void applySendsTheTableAndCloses_data() {
        QTest::addColumn<QString>("keypad");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("length");
        QTest::addRow("5-key small") << "keys=5,type=2,options=4" << 2 << 20;
        QTest::addRow("12 keys") << "keys=12,type=5" << 5 << 32;
        QTest::addRow("16 keys") << "keys=16,type=8" << 8 << 32;
    }
    void applySendsTheTableAndCloses() {
        QFETCH(QString, keypad);
        QFETCH(int, type);
        QFETCH(int, length);
        world.reset();
        world = std::make_unique<EditorWorld>(keypad.toStdString());
        KeypadFields fields = fieldsFor(type, 0);
        QPointer<CodeTableEditorWindow> editor = open(fields);
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
        int keys = type == 2 ? 10 : type == 5 ? 12 : 16;
        for (int i = 0; i < length; ++i) {
            uint8_t expected = i >= 2 * keys ? 0
                               : i == 8      ? 0xE2
                               : i == 10     ? 0
                                             : fields.keyCodeArray[i];
            QCOMPARE(payload[size_t(i)], expected);  // hidden and untouched keys unchanged
        }
        QCOMPARE(world->simulation.keypad->current().customTable[8], uint8_t(0xE2));
    }

    void failedApplyWarnsAndKeepsTheWindowAsItWas_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("caption");
        QTest::addRow("small") << 2 << "Vorla Quillon™";
        QTest::addRow("12 keys") << 5 << "Vorla USB Encoder";
        QTest::addRow("16 keys") << 8 << "Vorla USB Encoder";
    }
    void failedApplyWarnsAndKeepsTheWindowAsItWas() {
        QFETCH(int, type);
        QFETCH(QString, caption);
        QPointer<CodeTableEditorWindow> editor = open(fieldsFor(type));
        child(editor, "key1Btn")->click();
        emit child<QComboBox>(editor, "selectCodeCbox")->activated(0x28);
        child(editor, "key2Btn")->click();
        child(editor, "modifierBtn2")->click();
        world->simulation.keypad->faults.refuse = true;
        child(editor, "applyBtn")->click();
        QCOMPARE(world->ui.warnings(), std::vector<std::string>{"Unable to Load Table.."});
        QCOMPARE(QString::fromStdString(world->ui.messages[0].caption), caption);
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

    void resetPutsBackTheLoadedValuesAndSendsNothing() {
        auto* editor = open(fieldsFor(8));
        QColor normal = backColour(child(editor, "modifierBtn1"));
        int commands = world->commands();
        for (const char* button : {"key1Btn", "key16Btn", "modifierBtn3"}) {
            child(editor, button)->click();
        }
        emit child<QComboBox>(editor, "selectModifierCbox")->activated(8);
        emit child<QComboBox>(editor, "selectCodeCbox")->activated(0x3A);
        child(editor, "key7Btn")->click();  // left selected
        child(editor, "modifierBtn9")->click();
        child(editor, "resetBtn")->click();
        for (int n = 1; n <= 16; ++n) {
            auto* key = child(editor, QString("key%1Btn").arg(n));
            QCOMPARE(key->text(), loadedText(n));
            QCOMPARE(backColour(key), kRed);
            auto* modifier = child(editor, QString("modifierBtn%1").arg(n));
            QCOMPARE(modifier->text(), QString(n % 3 == 0 ? "Left Shift" : " None"));
            QCOMPARE(backColour(modifier), normal);
        }
        QCOMPARE(world->commands(), commands);
        QVERIFY(world->tables.empty());
    }

    void smallKeypadLaysItsKeysOverItsPicture_data() {
        QTest::addColumn<int>("ways");
        QTest::addColumn<QList<int>>("hidden");
        QTest::addRow("5 keys") << 0 << QList<int>{1, 3, 5};
        QTest::addRow("6 keys") << 1 << QList<int>{1, 3};
        QTest::addRow("8 keys") << 2 << QList<int>{};
    }
    void smallKeypadLaysItsKeysOverItsPicture() {
        QFETCH(int, ways);
        QFETCH(QList<int>, hidden);
        auto* editor = open(fieldsFor(2, ways));
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
    void pictureKeysShowTheirStateOverThePicture() {
        auto* editor = open(fieldsFor(2));
        auto* key = child<KeyButton>(editor, "key2Btn");
        auto tone = [&] {
            QImage image = key->grab().toImage();
            QColor c = image.pixelColor(4, image.height() / 2);  // beside the text
            return c.red() - c.blue();
        };
        int plain = tone();
        key->click();
        int selected = tone();
        emit child<QComboBox>(editor, "selectCodeCbox")->activated(0x04);
        QImage assigned = key->grab().toImage();
        QColor green = assigned.pixelColor(4, assigned.height() / 2);
        QVERIFY2(selected > plain + 60, qPrintable(QString("%1 %2").arg(plain).arg(selected)));
        QVERIFY(green.green() > green.red() + 30 && green.green() > green.blue() + 30);
    }

    void aPictureFileInTheCurrentFolderTakesPrecedence() {
        QTemporaryDir folder;
        QString previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
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
};

QTEST_MAIN(CodeTableEditorWindowTest)
#include "code_table_editor_window_test.moc"
