#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "socket/stream_io.h"

extern char** environ;

namespace lumora_usb_encoder::testing {

// quillon-sim running in the background on `path` for as long as this object lives.
class QuillonSimProcess {
  public:
    // Log::ToAClosedPipe: --verbose, its standard error a pipe nobody reads any more, as in
    // `quillon-sim ... 2>&1 | head -n 1` once head has its line.
    enum class Log { Default, ToAClosedPipe };

    QuillonSimProcess(const std::string& path, const std::string& simulate = "",
                      Log log = Log::Default)
        : path_(path) {
        std::vector<std::string> words = {QUILLON_SIM_PATH, "--socket", path};
        if (!simulate.empty()) {
            words.push_back("--simulate=" + simulate);
        }
        int pipe[2] = {-1, -1};
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        if (log == Log::ToAClosedPipe && ::pipe(pipe) == 0) {
            words.push_back("--verbose");
            ::posix_spawn_file_actions_adddup2(&actions, pipe[1], 2);
            ::posix_spawn_file_actions_addclose(&actions, pipe[0]);
        }
        std::vector<char*> argv;
        for (auto& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        EXPECT_EQ(::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
        ::posix_spawn_file_actions_destroy(&actions);
        for (int end : pipe) {
            if (end >= 0) {
                ::close(end);
            }
        }
    }
    ~QuillonSimProcess() {
        if (pid_ > 0) {
            stop(SIGTERM);
        }
    }

    // True once the server answers on its socket (it may take a moment to start).
    bool ready() {
        for (int i = 0; i < 200; ++i) {
            std::string error;
            if (hid::wire::connectUnix(path_, error).valid()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }

    // Sends `signal` and returns the exit status (-1 when it did not exit normally).
    int stop(int signal) {
        ::kill(pid_, signal);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    std::string path_;
    pid_t pid_ = -1;
};

}  // namespace lumora_usb_encoder::testing
