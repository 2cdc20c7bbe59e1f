#pragma once

#include "support/user_interface.h"

class QWidget;

namespace lumora_usb_encoder {

// The user interface port for the windows: message boxes and dialogs over `owner`, and the
// busy cursor while the core waits for the keypad.
class QtUserInterface final : public UserInterface {
  public:
    explicit QtUserInterface(QWidget* owner) : owner_(owner) {}
    ~QtUserInterface() override;

    void warn(const std::string& text, const std::string& caption) override;
    bool ask(const std::string& text, const std::string& caption) override;
    bool confirm(const std::string& text, const std::string& caption) override;
    size_t choose(const std::string& text, const std::string& caption,
                  const std::vector<std::string>& answers, size_t escape) override;
    std::optional<std::string> chooseOpenFile(const std::string& filter,
                                              const std::string& initialName) override;
    std::optional<std::string> chooseFolder(const std::string& description,
                                            const std::string& start) override;
    void beginBusy() override;
    void endBusy() override;

  private:
    QWidget* owner_;
    int busyDepth_ = 0;
};

}  // namespace lumora_usb_encoder
