#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "support/user_interface.h"

namespace lumora_usb_encoder::testing {

// A user interface that records every message with its caption and kind, and answers questions
// and dialogs from scripts the test fills in beforehand. An unscripted question gets
// `unscriptedAnswer` (No unless a test says otherwise) and an unscripted dialog is cancelled, so
// a test never waits on a person.
class RecordingUi : public UserInterface {
  public:
    enum class Kind {
        Warning,   // OK button, exclamation icon, text followed by a line break
        Question,  // Yes and No buttons, question icon, text as given
        Choice,    // buttons with answers of their own, question icon, text as given
    };
    struct Message {
        Kind kind;
        std::string text;
        std::string caption;
        std::vector<std::string> answers = {};  // a choice's
        bool operator==(const Message&) const = default;
    };
    struct DialogRequest {
        std::string first;   // filter, or the folder dialog's description
        std::string second;  // initial file name, or the folder it starts at
        bool operator==(const DialogRequest&) const = default;
    };

    void warn(const std::string& text, const std::string& caption) override {
        messages.push_back({Kind::Warning, text, caption});
    }
    bool ask(const std::string& text, const std::string& caption) override {
        messages.push_back({Kind::Question, text, caption});
        return next(answers, unscriptedAnswer);
    }
    // Answered from `choices`; unscripted, or out of range, with the escape answer.
    size_t choose(const std::string& text, const std::string& caption,
                  const std::vector<std::string>& offered, size_t escape) override {
        messages.push_back({Kind::Choice, text, caption, offered});
        size_t chosen = next(choices, escape);
        return chosen < offered.size() ? chosen : escape;
    }
    std::optional<std::string> chooseOpenFile(const std::string& filter,
                                              const std::string& initialName) override {
        fileRequests.push_back({filter, initialName});
        return next(files, {});
    }
    std::optional<std::string> chooseFolder(const std::string& description,
                                            const std::string& start) override {
        folderRequests.push_back({description, start});
        return next(folders, {});
    }
    void beginBusy() override { ++busyDepth; }
    void endBusy() override { --busyDepth; }

    // In order: the warnings' texts alone, and each message of one kind as "caption: text".
    std::vector<std::string> warnings() const { return texts(Kind::Warning, false); }
    std::vector<std::string> shown(Kind kind) const { return texts(kind, true); }

    std::vector<Message> messages;
    std::deque<bool> answers;
    bool unscriptedAnswer = false;  // what a question no script answers gets
    std::deque<size_t> choices;     // indexes of the answers chosen, in turn
    std::deque<std::optional<std::string>> files;
    std::deque<std::optional<std::string>> folders;
    std::vector<DialogRequest> fileRequests;
    std::vector<DialogRequest> folderRequests;
    int busyDepth = 0;

  private:
    std::vector<std::string> texts(Kind kind, bool withCaption) const {
        std::vector<std::string> texts;
        for (const auto& message : messages) {
            if (message.kind == kind) {
                texts.push_back((withCaption ? message.caption + ": " : "") + message.text);
            }
        }
        return texts;
    }
    template <typename Choice>
    static Choice next(std::deque<Choice>& script, Choice otherwise) {
        if (!script.empty()) {
            otherwise = script.front();
            script.pop_front();
        }
        return otherwise;
    }
};

}  // namespace lumora_usb_encoder::testing
