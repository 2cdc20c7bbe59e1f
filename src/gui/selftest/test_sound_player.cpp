// The media side of the test sound, built as a module the self test loads when it has a sound
// to play. Linked into the program, the media libraries and the sound server's client would be
// loaded and relocated on every start, for a sound most starts never play.
#include <QAudioDevice>
#include <QAudioOutput>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QString>
#include <QUrl>

extern "C" Q_DECL_EXPORT void quillonPlayTestSound(QObject* owner, const char* path) {
    if (QMediaDevices::audioOutputs().isEmpty()) {
        return;
    }
    auto* output = new QAudioOutput(owner);
    output->setVolume(0.5F);
    auto* player = new QMediaPlayer(owner);
    player->setAudioOutput(output);
    // A file the player cannot decode ends up here; the test goes on without its sound.
    QObject::connect(player, &QMediaPlayer::errorOccurred, player, [player] { player->stop(); });
    player->setSource(QUrl::fromLocalFile(QString::fromUtf8(path)));
    player->play();
}
