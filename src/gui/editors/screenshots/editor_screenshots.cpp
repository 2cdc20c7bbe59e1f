// Renders the code-table editors, opened as the main window opens them from a simulated keypad,
// to PNG files in the folder given, for the README; and the code list of one of them opened with
// "f13" typed into it:
//   xvfb-run -a quillon_editor_screenshots docs/screenshots
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <functional>
#include <iostream>

#include "device/device_connection.h"
#include "device/keypad_service.h"
#include "gui/editors/code_table_editor_launch.h"
#include "settings/keypad_fields.h"
#include "sim/sim_keypad.h"
#include "support/user_interface.h"

using namespace lumora_usb_encoder;

namespace {

class PrintingUi : public UserInterface {
  public:
    void warn(const std::string& text, const std::string& caption) override {
        std::cerr << caption << ": " << text << '\n';
    }
    bool ask(const std::string&, const std::string&) override { return false; }
};

// A few edits, so that the picture shows every state a key can be in.
void edit(QWidget& editor) {
    auto click = [&](const char* name) { editor.findChild<QPushButton*>(name)->click(); };
    click("key2Btn");
    click("key4Btn");
    emit editor.findChild<QComboBox*>("selectCodeCbox")->activated(0x28);
    click("modifierBtn8");
    emit editor.findChild<QComboBox*>("selectModifierCbox")->activated(3);
    click("key6Btn");
}

void settle() {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 300) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

QPixmap editedEditor(QWidget& editor) {
    edit(editor);
    settle();
    return editor.grab();
}

// Keys 2 and 4 selected, then "f13" typed on the code list: it opens and finds F13. The open
// list is a window of its own, drawn onto the editor where it lies.
QPixmap codeFoundByName(QWidget& editor) {
    editor.findChild<QPushButton*>("key2Btn")->click();
    editor.findChild<QPushButton*>("key4Btn")->click();
    auto* codes = editor.findChild<QComboBox*>("selectCodeCbox");
    codes->setFocus();
    settle();
    QWidget* target = codes;
    for (QChar typed : QString("f13")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(typed));
        QApplication::sendEvent(target, &press);
        target = codes->view();
    }
    settle();
    QWidget& list = *codes->view()->window();
    QRect area = editor.geometry().united(list.geometry());
    QPixmap picture(area.size());
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.drawPixmap(editor.geometry().topLeft() - area.topLeft(), editor.grab());
    painter.drawPixmap(list.geometry().topLeft() - area.topLeft(), list.grab());
    return picture;
}

bool render(const std::string& keypad, const QDir& folder, const QString& name,
            const std::function<QPixmap(QWidget&)>& picture = editedEditor) {
    std::string error;
    auto simulation = sim::makeSimulation(keypad, error);
    if (!simulation) {
        std::cerr << error << '\n';
        return false;
    }
    hid::setBackend(std::make_shared<sim::SimBackend>(simulation->bus));
    PrintingUi ui;
    KeypadFields fields;
    if (!rescanKeypad(ui) || GetDeviceStatusMessage(fields) != 0) {
        return false;
    }
    QWidget* editor = openCodeTableEditor(fields, nullptr, ui, std::make_shared<KeypadService>());
    if (editor == nullptr) {
        return false;
    }
    settle();
    bool saved = picture(*editor).save(folder.filePath(name));
    std::cout << (saved ? "wrote " : "could not write ") << qPrintable(folder.filePath(name))
              << '\n';
    editor->findChild<QPushButton*>("resetBtn")->click();  // nothing to ask about on closing
    editor->close();
    closeKeypad();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDir folder(argc > 1 ? argv[1] : ".");
    bool saved = true;
    for (auto [keypad, name] : {std::pair{"keys=5,type=2", "editor_5_keys.png"},
                                std::pair{"keys=6,type=2", "editor_6_keys.png"},
                                std::pair{"keys=8,type=2", "editor_8_keys.png"},
                                std::pair{"keys=12,type=5", "editor_12_keys.png"},
                                std::pair{"keys=16,type=8", "editor_16_keys.png"}}) {
        saved = render(keypad, folder, name) && saved;
    }
    saved = render("keys=16,type=8", folder, "editor_find_code.png", codeFoundByName) && saved;
    return saved ? 0 : 1;
}
