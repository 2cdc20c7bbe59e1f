#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "device/status_record.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder {

class KeypadService;

// A job's claim on the keypad (KeypadService::hold): while it lasts no other job is started, and
// a change of the bus waits to be applied. Empty when another job had the keypad; the job then
// sends nothing. It lets go when it is released or destroyed, on the service's thread, and must
// not outlive the service.
class KeypadHold {
  public:
    KeypadHold();
    ~KeypadHold();
    KeypadHold(KeypadHold&& other) noexcept;
    KeypadHold& operator=(KeypadHold&& other) noexcept;
    KeypadHold(const KeypadHold&) = delete;
    KeypadHold& operator=(const KeypadHold&) = delete;

    explicit operator bool() const { return service_ != nullptr; }

    // The job's way to the person: everything goes on to the window's port, and the last
    // warning is also what the status bar says once the job has ended. An empty hold's port
    // only passes things on.
    UserInterface& ui();
    // What the status bar says once the job has ended, in place of its last warning.
    void say(std::string message);
    // Whether the keypad answered the job's last status read, and what it reported when the job
    // kept it; a job that says nothing leaves the keypad as the service saw it.
    void keypadAnswered(bool answered, std::optional<DeviceStatus> status = std::nullopt);
    // Lets go now.
    void release();

  private:
    friend class KeypadService;
    class JobUi;
    KeypadHold(KeypadService* service, uint64_t id, UserInterface& windowUi);
    void noteWarning(const std::string& text);

    KeypadService* service_ = nullptr;
    uint64_t id_ = 0;
    std::unique_ptr<JobUi> ui_;
};

}  // namespace lumora_usb_encoder
