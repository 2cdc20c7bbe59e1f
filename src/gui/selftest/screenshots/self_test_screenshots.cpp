// Renders the self-test window, running and finished, for 8 and 16 keys, to PNG files in the
// folder given, for the README: quillon_selftest_screenshots docs/screenshots
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <functional>
#include <iostream>
#include <mutex>

#include "device/device_connection.h"
#include "device/keypad_service.h"
#include "gui/message_box.h"
#include "gui/selftest/self_test.h"
#include "sim/sim_keypad.h"
#include "support/clock.h"

using namespace lumora_usb_encoder;

namespace {

class QuietUi final : public UserInterface {
  public:
    void warn(const std::string&, const std::string&) override {}
    bool ask(const std::string&, const std::string&) override { return false; }
};

// The worker waits for the window at each change, so the window's events set its pace: the
// picture is taken the moment `reached` holds.
void runUntil(const std::function<bool()>& reached) {
    while (!reached()) {
        QApplication::processEvents();
    }
}

bool save(QWidget& window, const QDir& folder, const QString& name) {
    bool saved = window.grab().save(folder.filePath(name));
    std::cout << (saved ? "wrote " : "could not write ") << qPrintable(folder.filePath(name))
              << '\n';
    return saved;
}

bool selfTest(const std::string& spec, const QDir& folder, int keys) {
    std::string error;
    auto simulation = sim::makeSimulation(spec, error);
    if (!simulation) {
        std::cerr << error << '\n';
        return false;
    }
    hid::setBackend(std::make_shared<sim::SimBackend>(simulation->bus));
    QuietUi quiet;
    (void)rescanKeypad(quiet);
    auto service = std::make_shared<KeypadService>();
    auto* window = new self_test(service);
    window->show();
    auto* level = window->findChild<QLabel*>("ledLevelLbl");
    auto* led = window->findChild<QCheckBox*>("ledCheckBox");
    runUntil([&] { return led->isChecked() && level->text() == "6"; });
    QString size = QString::number(keys);
    bool saved = save(*window, folder, "selftest_running_" + size + "_keys.png");
    auto* buzzer = window->findChild<QCheckBox*>("buzzerCheckBox");
    runUntil([&] { return buzzer->isChecked(); });
    // The key test switches to the family's default table, reads it back and hands it over.
    uint8_t stageType = keys <= 8 ? 0 : keys == 12 ? 3 : 6;
    runUntil([&] {
        std::lock_guard lock(simulation->bus->mutex());
        return simulation->keypad->current().keypadType == stageType;
    });
    QElapsedTimer handedOver;
    handedOver.start();
    runUntil([&] { return handedOver.elapsed() > 500; });
    for (int key = Qt::Key_F15; key <= Qt::Key_F24; ++key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(window, &press);
    }
    QApplication::processEvents();
    saved = save(*window, folder, "selftest_finished_" + size + "_keys.png") && saved;
    delete window;  // ends the test and puts the keypad's settings back
    closeKeypad();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDir folder(argc > 1 ? argv[1] : ".");
    MessageBox::setScripted(true);  // the key test's notice would stop the run
    setClock(std::make_shared<VirtualClock>());
    bool saved = selfTest("keys=8,serial=QK0000012345", folder, 8);
    saved = selfTest("keys=16,type=8", folder, 16) && saved;
    return saved ? 0 : 1;
}
