#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace lumora_usb_encoder::testing {

// The variable that moves the local data folder, on the system the tests run on.
#ifdef _WIN32
inline constexpr const char* kLocalDataVariable = "LOCALAPPDATA";
#else
inline constexpr const char* kLocalDataVariable = "XDG_DATA_HOME";
#endif

// Sets an environment variable, or clears it for nullptr, for the process and the programs it
// starts.
inline void setEnv(const char* name, const char* value) {
#ifdef _WIN32
    // The C library's copy and the process's own both change; "NAME=" clears.
    std::string assignment = std::string(name) + "=" + (value ? value : "");
    _putenv(assignment.c_str());
#else
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
#endif
}

// Sets or clears an environment variable for one scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        old_ = old ? std::optional<std::string>(old) : std::nullopt;
        setEnv(name, value);
    }
    ~ScopedEnv() { setEnv(name_, old_ ? old_->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace lumora_usb_encoder::testing
