#pragma once

#include <QApplication>
#include <QComboBox>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "../shown_boxes.h"
#include "common/temp_folder.h"
#include "common/world.h"
#include "device/device_connection.h"
#include "gui/file_dialogs.h"
#include "gui/message_box.h"
#include "support/clock.h"

namespace lumora_usb_encoder::testing {

// The visible windows of type T, in the order the application lists them.
template <typename T = QWidget>
QList<T*> visibleWindows() {
    QList<T*> found;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<T*>(top); window && window->isVisible()) {
            found << window;
        }
    }
    return found;
}

// Counts what the windows do to the device layer on top of the trace; may hold a count, or pose
// as a bus that may be real hardware.
class CountingBackend final : public hid::Backend {
  public:
    explicit CountingBackend(std::shared_ptr<hid::Backend> inner) : inner_(std::move(inner)) {}
    std::vector<hid::DeviceInfo> enumerate(uint16_t vendorId, uint16_t productId) override {
        ++calls;
        if (beforeEnumerate) {
            beforeEnumerate(productId);
        }
        return inner_->enumerate(vendorId, productId);
    }
    std::unique_ptr<hid::Device> openPath(const std::string& path) override {
        ++calls;
        ++opens;
        return inner_->openPath(path);
    }
    void shutdown() override {
        ++calls;
        inner_->shutdown();
    }
    std::unique_ptr<hid::Watch> watch(hid::BusEventHandler handler) override {
        return inner_->watch(std::move(handler));
    }
    bool simulatedInProcess() const override {
        return !posesAsCable && inner_->simulatedInProcess();
    }
    // Watchers enumerate from their own threads; set these before a window starts.
    std::atomic<int> calls = 0, opens = 0;
    std::function<void(uint16_t productId)> beforeEnumerate;
    bool posesAsCable = false;

  private:
    std::shared_ptr<hid::Backend> inner_;
};

// A virtual clock that notes whether the busy cursor stood over every wait.
class CursorWatchingClock final : public Clock {
  public:
    void sleep(uint32_t ms) override {
        // Only the window's thread may look at the cursor; a worker's waits show progress.
        if (QThread::currentThread() == QCoreApplication::instance()->thread()) {
            const QCursor* cursor = QApplication::overrideCursor();
            if (cursor == nullptr || cursor->shape() != Qt::WaitCursor) {
                ++waitsWithoutBusyCursor;
            }
            ++waits;
        }
        inner_.sleep(ms);
    }
    uint32_t tickCount() override { return inner_.tickCount(); }
    int waits = 0, waitsWithoutBusyCursor = 0;

  private:
    VirtualClock inner_;
};

// A simulated keypad, a virtual clock, scripted message boxes and dialogs, a scratch folder,
// and the log of every command written to the keypad.
class GuiWorld {
  public:
    explicit GuiWorld(const std::string& spec = "keys=8") {
        clock = std::make_shared<CursorWatchingClock>();
        setClock(clock);
        MessageBox::setScripted(true);
        FileDialogs::setScripted(true);
        counting = std::make_shared<CountingBackend>(
            recordingSimulation(spec, simulation, [this](const SentCommand& sent) {
                std::lock_guard lock(writtenMutex);
                written.push_back(sent);
            }));
        hid::setBackend(counting);
    }
    ~GuiWorld() {
        closeKeypad();
        hid::setBackend(nullptr);
        MessageBox::setScripted(false);
        FileDialogs::setScripted(false);
    }

    // Commands written, status reads left out; a test may ask while a worker still writes.
    std::vector<SentCommand> settingsSent() const {
        std::lock_guard lock(writtenMutex);
        std::vector<SentCommand> sent;
        std::copy_if(written.begin(), written.end(), std::back_inserter(sent),
                     [](const SentCommand& c) { return c.command != Command::Status; });
        return sent;
    }
    QStringList shownTexts() {
        QStringList texts;
        for (const auto& box : MessageBox::takeShown()) {
            texts << box.text;
        }
        return texts;
    }
    std::string settingsFile() const { return folder.file("VorlaInterface/USBUtilityCfg.ini"); }

    std::shared_ptr<CursorWatchingClock> clock;
    sim::Simulation simulation;
    std::shared_ptr<CountingBackend> counting;
    TempFolder folder;
    std::vector<SentCommand> written;
    mutable std::mutex writtenMutex;
};

template <typename T>
T* child(QWidget* window, const char* name) {
    return window->findChild<T*>(name);
}
// A control the window must have.
template <typename T = QWidget>
T* must(QWidget* window, const char* name) {
    T* widget = child<T>(window, name);
    if (widget == nullptr) {
        qFatal("no control named %s", name);
    }
    return widget;
}

}  // namespace lumora_usb_encoder::testing
