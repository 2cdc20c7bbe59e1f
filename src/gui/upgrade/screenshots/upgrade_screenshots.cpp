// Renders the firmware upgrade window searching, ready, upgrading and done to PNG files in the
// folder given, for the README: quillon_upgrade_screenshots docs/screenshots
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <functional>
#include <iostream>
#include <mutex>
#include <thread>

#include "device/device_connection.h"
#include "device/keypad_service.h"
#include "gui/file_dialogs.h"
#include "gui/message_box.h"
#include "gui/upgrade/firmware_upgrade.h"
#include "settings/keypad_settings.h"
#include "settings/settings_file.h"
#include "sim/sim_keypad.h"
#include "sim/sim_loader.h"
#include "support/clock.h"
#include "upgrade/upgrade_mode.h"

using namespace lumora_usb_encoder;

namespace {

bool save(QWidget& window, const QDir& folder, const QString& name) {
    bool saved = window.grab().save(folder.filePath(name));
    std::cout << (saved ? "wrote " : "could not write ") << qPrintable(folder.filePath(name))
              << '\n';
    return saved;
}

// Lets the window work until `done` holds (or ten seconds have gone).
void runUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 10000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDir folder(argc > 1 ? argv[1] : ".");
    if (argc < 3) {
        std::cerr << "usage: quillon_upgrade_screenshots FOLDER IMAGE\n";
        return 2;
    }
    MessageBox::setScripted(true);
    FileDialogs::setScripted(true);
    std::string error;
    auto simulation = sim::makeSimulation("keys=8,serial=QK0000012345", error);
    auto loader = sim::connectLoader(*simulation);
    loader->timing.reportMs = 1;  // USB frames and erases as the part takes them
    loader->timing.eraseMs = 30;
    hid::setBackend(std::make_shared<sim::SimBackend>(simulation->bus));
    QTemporaryDir settings;
    std::string settingsFile = QDir(settings.path()).filePath("USBUtilityCfg.ini").toStdString();
    (void)ensureSettingsFile(settingsFile);
    SilentUserInterface quiet;
    (void)rescanKeypad(quiet);
    upgradeCapture().keypad = readKeypadSettings();
    {
        std::lock_guard lock(simulation->bus->mutex());
        simulation->bus->detach(simulation->keypad.get());
        loader->enterFromKeypad(GetTickCount());
    }
    firmware_upgrade window(std::make_shared<KeypadService>(), settingsFile);
    window.show();
    bool saved = save(window, folder, "upgrade_searching.png");
    auto* label = window.findChild<QLabel*>("labelNumOfDevices");
    runUntil([label] { return label->text() == "Found 1 device"; });
    FileDialogs::setNextFile(QString::fromLocal8Bit(argv[2]));
    window.findChild<QPushButton*>("btnBrowse")->click();
    saved = save(window, folder, "upgrade_ready.png") && saved;
    window.findChild<QPushButton*>("btnUpgrade")->click();
    auto* bar = window.findChild<QProgressBar*>("progressBar");
    auto* log = window.findChild<QPlainTextEdit*>("statusBox");
    runUntil([log] { return log->toPlainText().contains("Erasing"); });
    saved = save(window, folder, "upgrade_running.png") && saved;
    runUntil([bar] { return bar->value() == 100; });
    runUntil([&window] {
        return !window.findChild<QLabel*>("labelNumOfDevices")->text().startsWith("Found");
    });
    saved = save(window, folder, "upgrade_done.png") && saved;
    closeKeypad();
    return saved ? 0 : 1;
}
