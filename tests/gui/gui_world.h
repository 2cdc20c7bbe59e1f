#pragma once

#include <QApplication>
#include <QThread>
#include <QWidget>
#include <QtTest>
#include <atomic>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "common/world.h"
#include "gui/file_dialogs.h"
#include "gui/message_box.h"
#include "support/clock.h"

// What every window test adds to the test world: scripted message boxes and dialogs, a clock
// that notes the busy cursor, a count of what the windows ask of the device layer, the windows
// on screen, and values that print themselves when a comparison fails.
namespace lumora_usb_encoder {

// A shown box compares whole and prints as one line, so a test states all it shows at once.
using Box = MessageBox::Shown;
inline bool operator==(const Box& a, const Box& b) {
    return std::tie(a.text, a.caption, a.icon, a.buttons, a.busyCursor, a.answers) ==
           std::tie(b.text, b.caption, b.icon, b.buttons, b.busyCursor, b.answers);
}
inline char* toString(const Box& box) {
    return QTest::toString(QString("%1 | %2 | %3 %4 %5 %6")
                               .arg(box.caption, box.text)
                               .arg(int(box.icon))
                               .arg(int(box.buttons))
                               .arg(box.busyCursor)
                               .arg(box.answers.join(" / ")));
}
// Neither with a busy cursor over it.
inline Box warningBox(const QString& text, const QString& caption = "Vorla Quillon™") {
    return {text, caption, MessageBox::Icon::Exclamation, MessageBox::Buttons::Ok, false, {}};
}
inline Box questionBox(const QString& text, const QString& caption,
                       MessageBox::Buttons buttons = MessageBox::Buttons::YesNo) {
    return {text, caption, MessageBox::Icon::Question, buttons, false, {}};
}
inline Box choiceBox(const QString& text, const QString& caption, const QStringList& answers) {
    return {text,  caption, MessageBox::Icon::Question, MessageBox::Buttons::Choices,
            false, answers};
}
inline QList<Box> takeBoxes() {
    auto shown = MessageBox::takeShown();
    return {shown.begin(), shown.end()};
}

// The keypad's records in a failing comparison, as GoogleTest prints them.
template <typename T>
char* printed(const T& value) {
    std::ostringstream text;
    text << value;
    return qstrdup(text.str().c_str());
}
inline char* toString(const KeypadSettings& settings) {
    return printed(settings);
}
inline char* toString(const DeviceStatus& status) {
    return printed(status);
}

}  // namespace lumora_usb_encoder

namespace lumora_usb_encoder::testing {

inline char* toString(const SentCommand& sent) {
    return printed(sent);
}
inline char* toString(const std::vector<SentCommand>& sent) {
    return qstrdup(describe(sent).c_str());
}

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

template <typename T = QWidget>
T* child(QWidget* window, const QString& name) {
    return window->findChild<T*>(name);
}
// A control the window must have.
template <typename T = QWidget>
T* must(QWidget* window, const QString& name) {
    T* widget = child<T>(window, name);
    if (widget == nullptr) {
        qFatal("no control named %s", qPrintable(name));
    }
    return widget;
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
    std::atomic<int> calls = 0;
    std::atomic<int> opens = 0;
    std::function<void(uint16_t productId)> beforeEnumerate;
    bool posesAsCable = false;

  private:
    std::shared_ptr<hid::Backend> inner_;
};

// Virtual time that still lets real time pass a little, so that a window's worker waiting on the
// clock (a key test waiting for Close) does not race its clock round while the test's thread
// waits for it.
class PacedClock final : public Clock {
  public:
    void sleep(uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::microseconds(50));
        inner_.sleep(ms);
    }
    uint32_t tickCount() override { return inner_.tickCount(); }

  private:
    VirtualClock inner_;
};

// A clock that notes whether the busy cursor stood over every wait of the window's thread.
class CursorWatchingClock final : public Clock {
  public:
    explicit CursorWatchingClock(std::shared_ptr<Clock> inner) : inner_(std::move(inner)) {}
    void sleep(uint32_t ms) override {
        // Only the window's thread may look at the cursor; a worker's waits show progress.
        if (QThread::currentThread() == QCoreApplication::instance()->thread()) {
            const QCursor* cursor = QApplication::overrideCursor();
            if (cursor == nullptr || cursor->shape() != Qt::WaitCursor) {
                ++waitsWithoutBusyCursor;
            }
            ++waits;
        }
        inner_->sleep(ms);
    }
    uint32_t tickCount() override { return inner_->tickCount(); }
    int waits = 0;
    int waitsWithoutBusyCursor = 0;

  private:
    std::shared_ptr<Clock> inner_;
};

// What the windows add to a world, made before the world that takes them: the clock (the
// test's own, or a virtual one) watched for the busy cursor, and the device layer's calls counted.
struct WindowParts {
    std::shared_ptr<CursorWatchingClock> clock;
    std::shared_ptr<CountingBackend> counting;

    WorldOptions fitted(WorldOptions options) {
        std::shared_ptr<Clock> inner = options.clock;
        if (!inner) {
            inner = std::make_shared<VirtualClock>();
        }
        clock = std::make_shared<CursorWatchingClock>(inner);
        options.clock = clock;
        options.wrap = [this](std::shared_ptr<hid::Backend> traced) {
            counting = std::make_shared<CountingBackend>(std::move(traced));
            return counting;
        };
        return options;
    }
};

// The test world with the windows' parts, and message boxes and dialogs that answer from their
// scripts.
class GuiWorld : public WindowParts, public World {
  public:
    explicit GuiWorld(const std::string& spec = "keys=8", WorldOptions options = {})
        : World(spec, fitted(std::move(options))) {
        MessageBox::setScripted(true);
        FileDialogs::setScripted(true);
        counting->beforeEnumerate = [this](uint16_t productId) {
            bool worker = QThread::currentThread() != QCoreApplication::instance()->thread();
            while (worker && productId == kLoaderProductId && loaderSearchHeld) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        };
    }
    // While set, an upgrade's worker waits in its search for the loader: the upgrade is running,
    // and the test acts on the windows meanwhile.
    std::atomic<bool> loaderSearchHeld = false;
    ~GuiWorld() {
        MessageBox::setScripted(false);
        FileDialogs::setScripted(false);
    }

    // The texts of the message boxes shown since the last look.
    QStringList shownTexts() {
        QStringList texts;
        for (const auto& box : MessageBox::takeShown()) {
            texts << box.text;
        }
        return texts;
    }
};

}  // namespace lumora_usb_encoder::testing

// Sent commands may stand in a test's data rows.
Q_DECLARE_METATYPE(lumora_usb_encoder::testing::SentCommand)
