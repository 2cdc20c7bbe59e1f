#include "gui/editors/code_table_editor_launch.h"

#include "gui/editors/code_table_editor_window.h"
#include "settings/keypad_fields.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder {

QWidget* openCodeTableEditor(const KeypadFields& fields, QWidget* owner, UserInterface& ui,
                             std::shared_ptr<KeypadService> service) {
    const EditorFamily* family = editorFamilyForKeypadType(fields.prev_keypadType_index);
    if (family == nullptr) {
        ui.warn(kSelectCustomTableMessage, kCaptionQuillon);
        return nullptr;
    }
    auto* window = new CodeTableEditorWindow(*family, fields.noOfWayKeypad, fields.keyCodeArray, ui,
                                             std::move(service), owner);
    window->show();
    return window;
}

}  // namespace lumora_usb_encoder
