#include "gui/selftest/test_sound.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

namespace lumora_usb_encoder {

void playTestSound(QObject* owner) {
    QFileInfo file("Audio Test.MP3");
    if (!file.isFile() || QMediaDevices::audioOutputs().isEmpty()) {
        return;
    }
    auto* output = new QAudioOutput(owner);
    output->setVolume(0.5F);
    auto* player = new QMediaPlayer(owner);
    player->setAudioOutput(output);
    // A file the player cannot decode ends up here; the test goes on without its sound.
    QObject::connect(player, &QMediaPlayer::errorOccurred, player, [player] { player->stop(); });
    player->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
    player->play();
}

}  // namespace lumora_usb_encoder
