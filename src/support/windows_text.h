#pragma once

// For the Windows platform files only: UTF-8 inside, UTF-16 at every Windows call.
#include <windows.h>

#include <string>

#include "support/utf16_text.h"

namespace lumora_usb_encoder::windows {

// Empty for text that is no UTF-8: Windows then finds no such file, where a converted name
// might have named another.
inline std::wstring wide(const std::string& text) {
    auto units = utf8ToUtf16(text);
    return units ? std::wstring(units->begin(), units->end()) : std::wstring();
}

inline std::string narrow(const wchar_t* text, size_t length) {
    return utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

inline std::string narrow(const std::wstring& text) {
    return narrow(text.data(), text.size());
}

// The system's own words for an error code, for messages that must say why.
inline std::string errorText(DWORD code) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = length > 0 ? narrow(buffer, length) : "error " + std::to_string(code);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

// Closes a handle on every way out of a function.
class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(Handle&& other) noexcept : handle_(other.release()) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE release() {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
    }
    // False when closing failed, which for a file just written can mean lost data.
    bool reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        bool closed = !valid() || CloseHandle(handle_) != 0;
        handle_ = handle;
        return closed;
    }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace lumora_usb_encoder::windows
