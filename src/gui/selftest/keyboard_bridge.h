#pragma once

#include <QObject>
#include <QTimer>

#include "selftest/keyboard_reader.h"

namespace lumora_usb_encoder {

// With a simulated or served keypad no operating system turns its keyboard side into key
// events; this does: it reads the keypad's keyboard interface and delivers each key it types to
// the window in front, as a key press and release.
class KeyboardBridge : public QObject {
    Q_OBJECT
  public:
    explicit KeyboardBridge(QObject* parent = nullptr);

  private:
    void poll();
    void setPollInterval(int ms);

    QTimer timer_;
    selftest::KeyboardReader reader_;
    int idlePolls_ = 0;
    int quietPolls_ = 0;  // polls since the last key, up to kTypingPolls
};

}  // namespace lumora_usb_encoder
