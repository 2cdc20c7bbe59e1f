#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "cli/cli_context.h"
#include "selftest/key_map.h"
#include "selftest/keyboard_reader.h"
#include "selftest/self_test_port.h"

namespace lumora_usb_encoder::cli {

// The self test at a terminal: a line per stage and step on stdout (none with --json), a
// progress line while stdout is a terminal, and the keys read from the keyboard interface.
class SelfTestConsole final : public selftest::SelfTestPort {
  public:
    explicit SelfTestConsole(Context& ctx);
    ~SelfTestConsole() override;

    void setText(selftest::Label label, const std::string& text) override;
    void highlight(selftest::Label label) override;
    void tick(selftest::CheckBox box) override;
    void showKeyTestNotice(const std::string& text, const std::string& caption) override;
    void stepDone(selftest::Stage stage, int step, int steps) override;
    void listenFor(const selftest::KeyMap& map) override { keyMap_ = map; }
    void waitForKeys(uint32_t ms) override;

    // Every key seen, in order; a code that two keys of the table type counts for both.
    const nlohmann::json& keysSeen() const { return keysSeen_; }
    void line(const std::string& text);

  private:
    void progress(const std::string& text);

    Context& ctx_;
    bool quiet_;
    bool terminal_;
    bool progressShown_ = false;
    selftest::KeyboardReader keyboard_;
    selftest::KeyMap keyMap_ = selftest::KeyMap::functionKeys();
    nlohmann::json keysSeen_ = nlohmann::json::array();
};

}  // namespace lumora_usb_encoder::cli
