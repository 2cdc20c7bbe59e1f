#pragma once

#include <QPushButton>
#include <QtTest>
#include <memory>

#include "../shown_boxes.h"
#include "common/recording_ui.h"
#include "common/world.h"
#include "device/device_connection.h"
#include "device/keypad_service.h"
#include "gui/editors/code_table_editor_launch.h"
#include "gui/editors/code_table_editor_window.h"
#include "gui/message_box.h"
#include "settings/keypad_fields.h"
#include "support/clock.h"

namespace lumora_usb_encoder::testing {

// Key n holds code 0x10 + n, every third key Left Shift.
inline KeypadFields fieldsFor(int keypadType, int ways = 2) {
    KeypadFields fields;
    fields.prev_keypadType_index = keypadType;
    fields.noOfWayKeypad = ways;
    for (size_t n = 1; n <= 16; ++n) {
        fields.keyCodeArray[2 * (n - 1)] = n % 3 == 0 ? 0xE1 : 0x00;
        fields.keyCodeArray[2 * (n - 1) + 1] = static_cast<uint8_t>(0x10 + n);
    }
    return fields;
}

// A simulated keypad opened as the main window leaves it, the window that owns the editors,
// scripted message boxes, and every code table written to the keypad.
class EditorWorld {
  public:
    explicit EditorWorld(const std::string& keypad = "keys=16,type=8") {
        setClock(std::make_shared<VirtualClock>());
        MessageBox::setScripted(true);
        hid::setBackend(recordingSimulation(keypad, simulation, [this](const SentCommand& sent) {
            if (sent.command == Command::CodeTable) {
                tables.push_back(sent.payload);
            }
        }));
        if (!rescanKeypad(ui)) {
            qFatal("no simulated keypad");
        }
    }
    ~EditorWorld() {
        owner.reset();  // takes the editors it owns with it
        closeKeypad();
        hid::setBackend(nullptr);
        MessageBox::setScripted(false);
    }

    CodeTableEditorWindow* open(const KeypadFields& fields) {
        return qobject_cast<CodeTableEditorWindow*>(
            openCodeTableEditor(fields, owner.get(), ui, service));
    }
    int commands() { return simulation.keypad->commandsReceived(); }

    sim::Simulation simulation;
    RecordingUi ui;
    std::shared_ptr<KeypadService> service = std::make_shared<KeypadService>();
    std::unique_ptr<QWidget> owner = std::make_unique<QWidget>();
    std::vector<std::vector<uint8_t>> tables;  // code-table payloads written, in order
};

template <typename T = QPushButton>
T* child(QWidget* window, const QString& name) {
    return window->findChild<T*>(name);
}

}  // namespace lumora_usb_encoder::testing
