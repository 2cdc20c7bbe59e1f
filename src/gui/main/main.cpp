// quillon-config: the splash, then the main window on the keypad the command line chose.
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/app_options.h"
#include "gui/first_paint_probe.h"
#include "gui/main/form1.h"
#include "gui/main/splash_form.h"
#include "gui/selftest/keyboard_bridge.h"
#include "settings/settings_file.h"
#include "support/platform_process.h"

using namespace lumora_usb_encoder;

namespace {

// The backend is chosen before any window exists, so a wrong --simulate is told on the
// terminal and nothing opens.
bool installBackend(const AppOptions& options) {
    std::string error;
    auto backend = makeChosenBackend(options, error);
    if (!error.empty()) {
        std::cerr << "quillon-config: " << error << '\n';
    }
    if (!backend && options.simulate) {
        return false;
    }
    hid::setBackend(backend);  // nullptr: an empty bus, so the window shows "not connected"
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    FirstPaintProbe::markStart();
    // Our options first: --help, --version and a mistake are answered without a display. On
    // Windows the words come from the UTF-16 command line, so that any file name survives.
    ProgramArguments words(argc, argv);
    ParsedOptions parsed = parseAppOptions(words.argc(), words.argv());
    if (!parsed.options) {
        std::cout << parsed.out;
        std::cerr << parsed.err;
        return parsed.exitCode;
    }
    const AppOptions& options = *parsed.options;
    if (!installBackend(options)) {
        return 2;
    }
    std::vector<std::string> toolkitWords = {argv[0]};
    toolkitWords.insert(toolkitWords.end(), parsed.toolkitArguments.begin(),
                        parsed.toolkitArguments.end());
    std::vector<char*> toolkitArgv(toolkitWords.size() + 1, nullptr);
    std::transform(toolkitWords.begin(), toolkitWords.end(), toolkitArgv.begin(),
                   [](std::string& word) { return word.data(); });
    int toolkitArgc = static_cast<int>(toolkitWords.size());
    QApplication app(toolkitArgc, toolkitArgv.data());
    FirstPaintProbe::watch();
    // The splash closes before the main window appears; that must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    // No operating system types a simulated keypad's keys; the bridge does.
    std::unique_ptr<KeyboardBridge> keys;
    if (options.simulate || !options.hidSocket.empty()) {
        keys = std::make_unique<KeyboardBridge>();
    }
    Form1 form(options.settingsFile.empty() ? defaultSettingsPath() : options.settingsFile);
    auto start = [&form] {
        form.Form1_Load();
        form.show();
    };
    if (options.noSplash) {
        start();
    } else {
        auto* splash = new vorla_splash_form;
        QObject::connect(splash, &QObject::destroyed, &form,
                         [start] { QTimer::singleShot(0, start); });
        splash->show();
    }
    // Leaving (Exit, File -> Exit, the title bar) quits only once every window's keypad work has
    // ended and the keypad is closed.
    QApplication::exec();
    return 0;
}
