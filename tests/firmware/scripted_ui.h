#pragma once

#include <string>
#include <vector>

#include "support/user_interface.h"

namespace lumora_usb_encoder {

// Answers questions as told and keeps every message with its caption.
class ScriptedUi : public UserInterface {
  public:
    bool answer = true;
    std::vector<std::string> warnings;
    std::vector<std::string> questions;

    void warn(const std::string& text, const std::string& caption) override {
        warnings.push_back(caption + ": " + text);
    }
    bool ask(const std::string& text, const std::string& caption) override {
        questions.push_back(caption + ": " + text);
        return answer;
    }
};

}  // namespace lumora_usb_encoder
