#pragma once

#include <iosfwd>

#include "support/user_interface.h"

namespace lumora_usb_encoder::cli {

// Messages go to stderr as the window would word them; a question is answered by --yes, or at
// the terminal when one is attached, and taken as No otherwise.
class ConsoleUi final : public UserInterface {
  public:
    ConsoleUi(std::ostream& err, bool assumeYes) : err_(err), assumeYes_(assumeYes) {}
    void warn(const std::string& text, const std::string& caption) override;
    bool ask(const std::string& text, const std::string& caption) override;

  private:
    std::ostream& err_;
    bool assumeYes_;
};

}  // namespace lumora_usb_encoder::cli
