// Renders the main window (connected and disconnected), the about window and the splash to PNG
// files in the folder given, for the README: quillon_app_screenshots docs/screenshots
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <iostream>

#include "device/device_connection.h"
#include "gui/main/about_window.h"
#include "gui/main/form1.h"
#include "gui/main/splash_form.h"
#include "gui/message_box.h"
#include "sim/sim_keypad.h"

using namespace lumora_usb_encoder;

namespace {

bool save(QWidget& window, const QDir& folder, const QString& name) {
    window.show();
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
    bool saved = window.grab().save(folder.filePath(name));
    std::cout << (saved ? "wrote " : "could not write ") << qPrintable(folder.filePath(name))
              << '\n';
    return saved;
}

bool mainWindow(const std::string& spec, const QDir& folder, const QString& name) {
    std::string error;
    auto simulation = sim::makeSimulation(spec, error);
    if (!simulation) {
        std::cerr << error << '\n';
        return false;
    }
    hid::setBackend(std::make_shared<sim::SimBackend>(simulation->bus));
    QTemporaryDir settings;
    Form1 form(QDir(settings.path()).filePath("USBUtilityCfg.ini").toStdString());
    form.Form1_Load();
    bool saved = save(form, folder, name);
    closeKeypad();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDir folder(argc > 1 ? argv[1] : ".");
    MessageBox::setScripted(true);  // the "not connected" message would hide the window
    bool saved = mainWindow("keys=8,serial=QK0000012345", folder, "main_connected.png");
    saved = mainWindow("absent=1", folder, "main_disconnected.png") && saved;
    about aboutWindow;
    saved = save(aboutWindow, folder, "about.png") && saved;
    auto* splash = new vorla_splash_form;
    saved = save(*splash, folder, "splash.png") && saved;
    delete splash;
    return saved ? 0 : 1;
}
