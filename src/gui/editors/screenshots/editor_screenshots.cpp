// Renders the code-table editors, opened as the main window opens them from a simulated keypad,
// to PNG files in the folder given, for the README:
//   xvfb-run -a quillon_editor_screenshots docs/screenshots
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <iostream>

#include "settings/keypad_fields.h"
#include "device/device_connection.h"
#include "gui/editors/code_table_editor_launch.h"
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

bool render(const std::string& keypad, const QDir& folder, const QString& name) {
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
    QWidget* editor = openCodeTableEditor(fields, nullptr, ui);
    if (editor == nullptr) {
        return false;
    }
    edit(*editor);
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
    bool saved = editor->grab().save(folder.filePath(name));
    std::cout << (saved ? "wrote " : "could not write ") << qPrintable(folder.filePath(name))
              << '\n';
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
    return saved ? 0 : 1;
}
