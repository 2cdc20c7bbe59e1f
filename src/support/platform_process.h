#pragma once

#include <string>
#include <vector>

namespace lumora_usb_encoder {

// The command line as UTF-8 words. On Windows main's argv is in the system's code page, which
// cannot hold every file name, so the words come from the UTF-16 command line instead; elsewhere
// they are argv as it is.
std::vector<std::string> commandLineWords(int argc, char** argv);

// Whether standard input, output or error (0, 1, 2) is an interactive terminal or console. On
// Windows a redirection to NUL is no console, though the C library's isatty says it is.
bool isTerminal(int standardStream);

// From here to the end of the process, text written to a console is read as UTF-8 (Windows; the
// console's own setting comes back at exit). Elsewhere terminals take UTF-8 already.
void useUtf8Console();

// What a program that runs until it is told to stop waits on: Ctrl-C or a termination request
// (SIGINT, SIGTERM; Ctrl-C, Ctrl-Break or the console closing on Windows). Made in main before
// any thread starts, so that the request reaches wait() and no other thread.
class StopRequest {
  public:
    StopRequest();
    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;
    // Returns once a stop has been asked for.
    void wait();
};

// argv for a parser, built from commandLineWords; lives as long as the parse needs it.
class ProgramArguments {
  public:
    ProgramArguments(int argc, char** argv) : words_(commandLineWords(argc, argv)) {
        for (std::string& word : words_) {
            pointers_.push_back(word.data());
        }
        pointers_.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(words_.size()); }
    char** argv() { return pointers_.data(); }

  private:
    std::vector<std::string> words_;
    std::vector<char*> pointers_;
};

}  // namespace lumora_usb_encoder
