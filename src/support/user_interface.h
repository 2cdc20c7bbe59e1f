#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace lumora_usb_encoder {

// How the core speaks to the person in front of it. The windows show message boxes and dialogs,
// quillonctl writes to stderr and takes --yes, tests script the answers.
//
// warn: a failure message; it is shown as the text followed by a line break, with an OK button
// and the exclamation icon. ask: a question with Yes and No buttons and the question icon, shown
// as given (no line break is added).
class UserInterface {
  public:
    virtual ~UserInterface() = default;
    virtual void warn(const std::string& text, const std::string& caption) = 0;
    virtual bool ask(const std::string& text, const std::string& caption) = 0;
    // A question whose careful answer is No (something is lost on Yes): the windows make No the
    // default button.
    virtual bool confirm(const std::string& text, const std::string& caption) {
        return ask(text, caption);
    }
    // A question with answers of its own, the texts of its buttons (the first is the default):
    // the index of the answer taken. `escape` is what closing it unanswered gives, and what a
    // port that cannot ask answers.
    virtual size_t choose(const std::string& text, const std::string& caption,
                          const std::vector<std::string>& answers, size_t escape) {
        (void)text;
        (void)caption;
        (void)answers;
        return escape;
    }
    // A file to open; nullopt when the person cancels.
    virtual std::optional<std::string> chooseOpenFile(const std::string& filter,
                                                      const std::string& initialName) {
        (void)filter;
        (void)initialName;
        return std::nullopt;
    }
    // A folder; nullopt when the person cancels.
    virtual std::optional<std::string> chooseFolder(const std::string& description,
                                                    const std::string& start) {
        (void)description;
        (void)start;
        return std::nullopt;
    }
    // Long work holds a busy indicator up for its whole length.
    virtual void beginBusy() {}
    virtual void endBusy() {}
};

// For changes nobody needs to hear of (a keypad that left for its loader, a cable plugged in):
// says nothing and answers No.
class SilentUserInterface final : public UserInterface {
  public:
    void warn(const std::string&, const std::string&) override {}
    bool ask(const std::string&, const std::string&) override { return false; }
};

// Holds the busy indicator for one scope, also when the work ends early.
class BusyScope {
  public:
    explicit BusyScope(UserInterface& ui) : ui_(ui) { ui_.beginBusy(); }
    ~BusyScope() { ui_.endBusy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    UserInterface& ui_;
};

inline constexpr const char* kCaptionQuillon = "Vorla Quillon™";
inline constexpr const char* kCaptionEncoder = "Vorla USB Encoder";

}  // namespace lumora_usb_encoder
