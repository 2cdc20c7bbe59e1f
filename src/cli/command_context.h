#pragma once

#include <memory>

#include "cli/cli_context.h"
#include "cli/console_ui.h"
#include "device/hid_backend.h"
#include "device/keypad_service.h"
#include "support/made_paths.h"

namespace lumora_usb_encoder::cli {

class CommandContext final : public Context {
  public:
    CommandContext(GlobalOptions& options, std::ostream& out, std::ostream& err)
        : options_(options), out_(out), err_(err) {}
    ~CommandContext() override;

    const GlobalOptions& options() const override { return options_; }
    UserInterface& ui() override;
    std::ostream& out() override { return out_; }
    std::ostream& err() override { return err_; }
    bool openKeypad() override;
    bool selectBackend() override;
    std::string settingsFile() override;
    std::string preparedSettingsFile(bool required) override;
    void run(const std::function<int()>& work) override;
    int exitCode() const { return exitCode_; }

  private:
    GlobalOptions& options_;
    std::ostream& out_;
    std::ostream& err_;
    std::unique_ptr<ConsoleUi> ui_;
    KeypadService keypad_;  // the one connection; a command is one job, so it follows no bus
    bool backendSelected_ = false;
    bool backendReached_ = false;
    MadePaths made_;
    int exitCode_ = Done;
};

}  // namespace lumora_usb_encoder::cli
