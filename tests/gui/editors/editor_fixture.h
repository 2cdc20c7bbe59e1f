#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../../support/recording_ui.h"
#include "device/device_connection.h"
#include "device/tracing_backend.h"
#include "gui/editors/code_table_editor_launch.h"
#include "gui/editors/code_table_editor_window.h"
#include "settings/keypad_fields.h"
#include "sim/sim_keypad.h"

namespace lumora_usb_encoder::testing {

// Key n holds code 0x10 + n, every third key Left Shift.
inline KeypadFields editorFields(int keypadType, int ways = 2) {
    KeypadFields fields;
    fields.prev_keypadType_index = keypadType;
    fields.noOfWayKeypad = ways;
    for (size_t n = 1; n <= 16; ++n) {
        fields.keyCodeArray[2 * (n - 1)] = n % 3 == 0 ? 0xE1 : 0x00;
        fields.keyCodeArray[2 * (n - 1) + 1] = static_cast<uint8_t>(0x10 + n);
    }
    return fields;
}

// A simulated keypad whose code-table payloads are collected as they are written.
struct EditorKeypad {
    RecordingUi ui;
    sim::Simulation simulation;
    std::vector<std::vector<uint8_t>> tables;

    bool start(const char* keypad) {
        std::string error;
        auto made = sim::makeSimulation(keypad, error);
        if (!made) {
            return false;
        }
        simulation = *made;
        hid::setBackend(std::make_shared<hid::TracingBackend>(
            std::make_shared<sim::SimBackend>(simulation.bus), [this](const std::string& line) {
                if (auto payload = codeTablePayload(line)) {
                    tables.push_back(*payload);
                }
            }));
        return rescanKeypad(ui);
    }
    ~EditorKeypad() {
        closeKeypad();
        hid::setBackend(nullptr);
    }

    CodeTableEditorWindow* open(const KeypadFields& fields, QWidget* owner) {
        return qobject_cast<CodeTableEditorWindow*>(openCodeTableEditor(fields, owner, ui));
    }

    // A traced code-table report: "> 3f 40 02 30 35", two length digits, the payload.
    static std::optional<std::vector<uint8_t>> codeTablePayload(const std::string& line) {
        if (line.rfind("> 3f 40 02 30 35", 0) != 0) {
            return std::nullopt;
        }
        QStringList hex = QString::fromStdString(line.substr(2)).split(' ');
        auto byteAt = [&](int i) { return static_cast<uint8_t>(hex[i].toUInt(nullptr, 16)); };
        QString digits = QString(QChar(byteAt(5))) + QChar(byteAt(6));
        std::vector<uint8_t> payload;
        for (int i = 0; i < digits.toInt(nullptr, 16); ++i) {
            payload.push_back(byteAt(7 + i));
        }
        return payload;
    }
};

}  // namespace lumora_usb_encoder::testing
