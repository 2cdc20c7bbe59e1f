#pragma once

#include <memory>

class QWidget;

namespace lumora_usb_encoder {

struct KeypadFields;
class KeypadService;
class UserInterface;

// "Customise Code Table": opens the editor of the keypad's family (keypad type 2: the small
// keypads, 5: 12 keys, 8: 16 keys), filled from the fields' code table and variant, modeless and
// owned by `owner`. Any other keypad type asks for a customised table and opens nothing
// (nullptr). The caller reads the status first, so that the editor starts from what the keypad
// holds now. The window deletes itself when it closes; its Apply goes through `service`.
QWidget* openCodeTableEditor(const KeypadFields& fields, QWidget* owner, UserInterface& ui,
                             std::shared_ptr<KeypadService> service);

}  // namespace lumora_usb_encoder
