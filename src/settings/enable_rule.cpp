#include "settings/enable_rule.h"

namespace lumora_usb_encoder {

ControlStates enableRule(bool enable, int32_t optionsFitted) {
    const bool colourBit = (optionsFitted & 1) != 0;
    const bool brightnessBit = (optionsFitted & 2) != 0;
    const bool buzzerBit = (optionsFitted & 4) != 0;
    ControlStates states;
    states.keypadType = enable;
    states.functionButtons = enable;
    states.ledBrightness = brightnessBit ? enable : true;
    states.buzzer = buzzerBit ? enable : true;
    states.buzzerPeriod = states.buzzer;
    states.ledColour = (colourBit && buzzerBit) ? enable : true;
    return states;
}

}  // namespace lumora_usb_encoder
