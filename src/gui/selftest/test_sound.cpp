#include "gui/selftest/test_sound.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

namespace lumora_usb_encoder {

namespace {

using PlayFunction = void (*)(QObject* owner, const char* path);

// Beside the program in the build tree, in the library folder once installed. A module that
// cannot be found or loaded means no sound, as a missing sound device does.
PlayFunction loadPlayer() {
    const QString programDir = QCoreApplication::applicationDirPath();
    for (const QString& dir : {programDir, programDir + "/" + QUILLON_SOUND_MODULE_DIR}) {
        QLibrary module(dir + "/quillon-sound");
        if (auto play = reinterpret_cast<PlayFunction>(module.resolve("quillonPlayTestSound"))) {
            return play;  // QLibrary leaves the module loaded: the players it made live on
        }
    }
    return nullptr;
}

}  // namespace

void playTestSound(QObject* owner) {
    QFileInfo file("Audio Test.MP3");
    if (!file.isFile()) {
        return;
    }
    static const PlayFunction play = loadPlayer();
    if (play != nullptr) {
        play(owner, file.absoluteFilePath().toUtf8().constData());
    }
}

}  // namespace lumora_usb_encoder
