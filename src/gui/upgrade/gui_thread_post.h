#pragma once

#include <QObject>
#include <functional>

namespace lumora_usb_encoder {

// Hands calls from worker and notification threads to the thread this object lives on (the
// window's). Calls still queued when it is deleted are dropped, so a call never reaches a
// window that has gone.
class GuiThreadPost final : public QObject {
    Q_OBJECT
  public:
    explicit GuiThreadPost(QObject* parent);
    // From any thread.
    void post(std::function<void()> call) { emit posted(std::move(call)); }

  signals:
    void posted(std::function<void()> call);
};

}  // namespace lumora_usb_encoder
