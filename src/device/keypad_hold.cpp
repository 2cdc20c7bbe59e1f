#include "device/keypad_hold.h"

#include <utility>

#include "device/keypad_service.h"

namespace lumora_usb_encoder {

// Passes everything on to the window's port and keeps the last warning for the status bar.
class KeypadHold::JobUi final : public UserInterface {
  public:
    JobUi(KeypadHold& hold, UserInterface& inner) : hold_(hold), inner_(inner) {}

    void warn(const std::string& text, const std::string& caption) override {
        hold_.noteWarning(text);
        inner_.warn(text, caption);
    }
    bool ask(const std::string& text, const std::string& caption) override {
        return inner_.ask(text, caption);
    }
    bool confirm(const std::string& text, const std::string& caption) override {
        return inner_.confirm(text, caption);
    }
    size_t choose(const std::string& text, const std::string& caption,
                  const std::vector<std::string>& answers, size_t escape) override {
        return inner_.choose(text, caption, answers, escape);
    }
    std::optional<std::string> chooseOpenFile(const std::string& filter,
                                              const std::string& initialName) override {
        return inner_.chooseOpenFile(filter, initialName);
    }
    std::optional<std::string> chooseFolder(const std::string& description,
                                            const std::string& start) override {
        return inner_.chooseFolder(description, start);
    }
    void beginBusy() override { inner_.beginBusy(); }
    void endBusy() override { inner_.endBusy(); }
    UserInterface& inner() { return inner_; }

  private:
    KeypadHold& hold_;
    UserInterface& inner_;
};

KeypadHold::KeypadHold(KeypadService* service, uint64_t id, UserInterface& windowUi)
    : service_(service), id_(id), ui_(std::make_unique<JobUi>(*this, windowUi)) {}

KeypadHold::KeypadHold() = default;

KeypadHold::~KeypadHold() {
    release();
}

KeypadHold::KeypadHold(KeypadHold&& other) noexcept {
    *this = std::move(other);
}

KeypadHold& KeypadHold::operator=(KeypadHold&& other) noexcept {
    if (this != &other) {
        release();
        service_ = std::exchange(other.service_, nullptr);
        id_ = std::exchange(other.id_, 0);
        // The port keeps its window's port but now reports to this hold.
        ui_ = other.ui_ ? std::make_unique<JobUi>(*this, other.ui_->inner()) : nullptr;
        other.ui_.reset();
    }
    return *this;
}

UserInterface& KeypadHold::ui() {
    static SilentUserInterface nobody;
    if (!ui_) {
        return nobody;
    }
    return *ui_;
}

void KeypadHold::noteWarning(const std::string& text) {
    if (auto* job = service_ != nullptr ? service_->jobWithId(id_) : nullptr) {
        job->lastWarning = text;
    }
}

void KeypadHold::say(std::string message) {
    if (auto* job = service_ != nullptr ? service_->jobWithId(id_) : nullptr) {
        job->said = std::move(message);
    }
}

void KeypadHold::keypadAnswered(bool answered, std::optional<DeviceStatus> status) {
    if (auto* job = service_ != nullptr ? service_->jobWithId(id_) : nullptr) {
        job->answered = answered;
        job->status = std::move(status);
    }
}

void KeypadHold::release() {
    if (service_ != nullptr) {
        std::exchange(service_, nullptr)->release(id_);
    }
}

}  // namespace lumora_usb_encoder
