#pragma once

// QUILLON_FIRST_PAINT=1 makes a program print the milliseconds from main to its first painted
// window on stdout and end, so the start-up cost is measured inside the process, free of the
// time the system takes to start and end it.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace lumora_usb_encoder {

class FirstPaintProbe final : public QObject {
  public:
    static std::chrono::steady_clock::time_point markStart() {
        static const auto start = std::chrono::steady_clock::now();
        return start;
    }
    // Whichever window paints first counts: the main window, the splash, or a message box the
    // load sequence opens before the main window is shown.
    static void watch() {
        if (qEnvironmentVariableIsSet("QUILLON_FIRST_PAINT")) {
            auto* app = QCoreApplication::instance();
            app->installEventFilter(new FirstPaintProbe(app));
        }
    }

  private:
    explicit FirstPaintProbe(QObject* parent) : QObject(parent) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Once the paint event has been handled, the window is on screen.
            QTimer::singleShot(0, watched, [] {
                std::chrono::duration<double, std::milli> took =
                    std::chrono::steady_clock::now() - markStart();
                std::printf("first_paint_ms %.3f\n", took.count());
                std::fflush(stdout);
                // A message box's own loop would outlive exit(), and the load sequence may open
                // another after it; the figure is taken, so nothing after it has to run.
                std::_Exit(0);
            });
        }
        return false;
    }
    bool seen_ = false;
};

}  // namespace lumora_usb_encoder
