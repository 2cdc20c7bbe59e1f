// selftest [--stages LIST] [--keys-time SECONDS]
#include <csignal>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/cli_context.h"
#include "cli/selftest_console.h"
#include "selftest/self_test_sequence.h"
#include "selftest/stage_list.h"

namespace lumora_usb_encoder::cli {

namespace {

using namespace selftest;

constexpr int kInterrupted = 128 + SIGINT;  // what a shell reports for a Ctrl-C

// Ctrl-C asks the running sequence to end, as the window's Close does; the keypad then gets its
// settings back before the program leaves.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void onInterrupt(int) {
    interrupted.store(true);
    // Windows puts the default back after each delivery; a second Ctrl-C must still wait for the
    // settings to go back.
    std::signal(SIGINT, onInterrupt);
}

class InterruptScope {
  public:
    InterruptScope() {
        interrupted.store(false);
        previous_ = std::signal(SIGINT, onInterrupt);
    }
    ~InterruptScope() { std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_); }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

  private:
    void (*previous_)(int) = SIG_DFL;
};

const char* resultName(StageResult result) {
    switch (result) {
        case StageResult::Passed:
            return "passed";
        case StageResult::Failed:
            return "failed";
        case StageResult::Closed:
            return "interrupted";
        case StageResult::NotRun:
            break;
    }
    return "not run";
}

struct SelfTestArguments {
    std::string stages = "led,brightness,buzzer";
    unsigned keysTime = 30;
};

nlohmann::json jsonResult(const SelfTestOptions& options, const SelfTestOutcome& outcome,
                          const nlohmann::json& keysSeen, bool restored) {
    nlohmann::json result;
    for (size_t i = 0; i < kStageCount; ++i) {
        if (options.stages[i]) {
            result["stages"][kStageNames[i]] = resultName(outcome.stages[i]);
        }
    }
    result["keysSeen"] = keysSeen;
    result["restored"] = restored;
    return result;
}

int runSelfTestCommand(Context& ctx, const SelfTestArguments& args) {
    std::string error;
    auto stages = parseStageList(args.stages, error);
    if (!stages) {
        throw UsageError("--stages: " + error);
    }
    if (!ctx.openKeypad()) {
        return NoKeypad;
    }
    auto start = GetDeviceStatusMessage();
    if (!start) {
        ctx.ui().warn(kStatusErrorMessage, kCaptionEncoder);
        return KeypadFailed;
    }
    SelfTestOptions options;
    options.stages = *stages;
    options.keysTimeMs = args.keysTime * 1000;
    SelfTestConsole console(ctx);
    // A second Ctrl-C during the restore must not leave the keypad half restored.
    InterruptScope scope;
    SelfTestOutcome outcome = runSelfTest(*start, options, console, interrupted);
    bool restored = restoreAfterSelfTest(*start, ctx.ui());
    console.line(restored ? "restore: done" : "restore: failed");
    if (ctx.options().json) {
        ctx.out() << jsonResult(options, outcome, console.keysSeen(), restored) << '\n';
    }
    if (outcome.failed() || !restored) {
        return KeypadFailed;
    }
    return interrupted.load() ? kInterrupted : Done;
}

const CommandRegistration registration([](CLI::App& app, Context& ctx) {
    static SelfTestArguments args;
    auto* selftest = app.add_subcommand(
        "selftest", "run self-test stages (led,brightness,buzzer by default; keys), then restore");
    selftest->add_option("--stages", args.stages, "comma-separated: led,brightness,buzzer,keys");
    selftest->add_option("--keys-time", args.keysTime, "seconds the keys stage listens")
        ->check(CLI::Range(1U, 3600U));
    selftest->callback([&ctx] { ctx.run([&] { return runSelfTestCommand(ctx, args); }); });
});

}  // namespace

}  // namespace lumora_usb_encoder::cli
