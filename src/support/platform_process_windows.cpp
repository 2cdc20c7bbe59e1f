#include <windows.h>
//
#include <shellapi.h>

#include <cstdlib>

#include "support/platform_process.h"
#include "support/windows_text.h"

namespace lumora_usb_encoder {

namespace {

UINT consoleCodePage = 0;

void restoreConsole() {
    SetConsoleOutputCP(consoleCodePage);
}

HANDLE stopEvent() {
    static HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

// Runs on a thread of its own that the system starts for the console event.
BOOL WINAPI onConsoleEvent(DWORD) {
    SetEvent(stopEvent());
    return TRUE;
}

}  // namespace

std::vector<std::string> commandLineWords(int argc, char** argv) {
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (words == nullptr) {
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> result;
    for (int i = 0; i < count; ++i) {
        result.push_back(windows::narrow(words[i], wcslen(words[i])));
    }
    LocalFree(words);
    return result;
}

bool isTerminal(int standardStream) {
    const DWORD streams[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    DWORD mode = 0;
    return standardStream >= 0 && standardStream < 3 &&
           GetConsoleMode(GetStdHandle(streams[standardStream]), &mode) != 0;
}

void useUtf8Console() {
    if (consoleCodePage == 0 && (consoleCodePage = GetConsoleOutputCP()) != 0 &&
        SetConsoleOutputCP(CP_UTF8) != 0) {
        std::atexit(restoreConsole);
    }
}

StopRequest::StopRequest() {
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void StopRequest::wait() {
    WaitForSingleObject(stopEvent(), INFINITE);
}

}  // namespace lumora_usb_encoder
