#pragma once

// QUILLON_FIRST_PAINT=1 makes a program print the milliseconds from main to its first painted
// window on stdout and quit, so the start-up cost is measured inside the process, free of the
// time the system takes to start and end it.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>

namespace lumora_usb_encoder {

class FirstPaintProbe final : public QObject {
  public:
    static std::chrono::steady_clock::time_point markStart() {
        static const auto start = std::chrono::steady_clock::now();
        return start;
    }
    static void watch(QWidget* window) {
        if (qEnvironmentVariableIsSet("QUILLON_FIRST_PAINT")) {
            window->installEventFilter(new FirstPaintProbe(window));
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
                QCoreApplication::exit(0);
            });
        }
        return false;
    }
    bool seen_ = false;
};

}  // namespace lumora_usb_encoder
