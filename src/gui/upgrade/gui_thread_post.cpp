#include "gui/upgrade/gui_thread_post.h"

namespace lumora_usb_encoder {

GuiThreadPost::GuiThreadPost(QObject* parent) : QObject(parent) {
    connect(
        this, &GuiThreadPost::posted, this, [](const std::function<void()>& call) { call(); },
        Qt::QueuedConnection);
}

}  // namespace lumora_usb_encoder
