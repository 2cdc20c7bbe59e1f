#include "cli/console_ui.h"

#include <iostream>
#include <string>

#include "support/platform_process.h"

namespace lumora_usb_encoder::cli {

void ConsoleUi::warn(const std::string& text, const std::string& caption) {
    (void)caption;
    err_ << text << '\n';
}

bool ConsoleUi::ask(const std::string& text, const std::string& caption) {
    (void)caption;
    if (assumeYes_) {
        err_ << text << " yes (--yes)\n";
        return true;
    }
    if (!isTerminal(0)) {
        err_ << text << " no (answer with --yes)\n";
        return false;
    }
    err_ << text << " [y/N] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes";
}

}  // namespace lumora_usb_encoder::cli
