#include "gui/qt_user_interface.h"

#include <QApplication>

#include "gui/file_dialogs.h"
#include "gui/message_box.h"

namespace lumora_usb_encoder {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

std::optional<std::string> toUtf8(const std::optional<QString>& text) {
    if (!text) {
        return std::nullopt;
    }
    return text->toStdString();
}

}  // namespace

QtUserInterface::~QtUserInterface() {
    // Work that ends by destroying its window must not leave the whole program looking busy.
    while (busyDepth_ > 0) {
        endBusy();
    }
}

void QtUserInterface::warn(const std::string& text, const std::string& caption) {
    MessageBox::warn(owner_, fromUtf8(text), fromUtf8(caption));
}

bool QtUserInterface::ask(const std::string& text, const std::string& caption) {
    return MessageBox::ask(owner_, fromUtf8(text), fromUtf8(caption));
}

bool QtUserInterface::confirm(const std::string& text, const std::string& caption) {
    return MessageBox::confirm(owner_, fromUtf8(text), fromUtf8(caption));
}

size_t QtUserInterface::choose(const std::string& text, const std::string& caption,
                               const std::vector<std::string>& answers, size_t escape) {
    QStringList texts;
    for (const auto& answer : answers) {
        texts << fromUtf8(answer);
    }
    int chosen = MessageBox::choose(owner_, fromUtf8(text), fromUtf8(caption), texts,
                                    static_cast<int>(escape));
    return static_cast<size_t>(chosen);
}

std::optional<std::string> QtUserInterface::chooseOpenFile(const std::string& filter,
                                                           const std::string& initialName) {
    return toUtf8(FileDialogs::chooseOpenFile(owner_, fromUtf8(filter), fromUtf8(initialName)));
}

std::optional<std::string> QtUserInterface::chooseFolder(const std::string& description,
                                                         const std::string& start) {
    return toUtf8(FileDialogs::chooseFolder(owner_, fromUtf8(description), fromUtf8(start)));
}

void QtUserInterface::beginBusy() {
    if (busyDepth_++ == 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
}

void QtUserInterface::endBusy() {
    if (busyDepth_ > 0 && --busyDepth_ == 0) {
        QApplication::restoreOverrideCursor();
    }
}

}  // namespace lumora_usb_encoder
