// The media side of the test sound, built as a module the self test loads when it opens with a
// sound to play. Linked into the program, the media libraries and the sound server's client would
// be loaded and relocated on every start, for a sound most starts never play.
#include <QAudioDevice>
#include <QAudioOutput>
#include <QMediaDevices>
#include <QMediaFormat>
#include <QMediaPlayer>
#include <QString>
#include <QUrl>
#include <memory>

#include "gui/selftest/sound_playback.h"

namespace lumora_usb_encoder {

namespace {

constexpr float kVolume = 0.5F;

class MediaPlayback final : public SoundPlayback {
  public:
    MediaPlayback(const QString& path, SoundPlayback::Listener listener)
        : listener_(std::move(listener)) {
        if (QMediaDevices::audioOutputs().isEmpty()) {
            refuse("no sound device");
            return;
        }
        if (QMediaFormat().supportedFileFormats(QMediaFormat::Decode).isEmpty()) {
            refuse("no codec on this computer");
            return;
        }
        output_ = std::make_unique<QAudioOutput>();
        output_->setVolume(kVolume);
        player_ = std::make_unique<QMediaPlayer>();
        player_->setAudioOutput(output_.get());
        QMediaPlayer* player = player_.get();
        QObject::connect(player, &QMediaPlayer::playbackStateChanged, player,
                         [this](QMediaPlayer::PlaybackState state) {
                             call(listener_.playingChanged, state == QMediaPlayer::PlayingState);
                         });
        QObject::connect(player, &QMediaPlayer::positionChanged, player, [this](qint64 position) {
            call(listener_.progressed, position, player_->duration());
        });
        QObject::connect(player, &QMediaPlayer::durationChanged, player, [this](qint64 duration) {
            call(listener_.progressed, player_->position(), duration);
        });
        QObject::connect(player, &QMediaPlayer::mediaStatusChanged, player,
                         [this](QMediaPlayer::MediaStatus status) {
                             if (status == QMediaPlayer::EndOfMedia) {
                                 call(listener_.ended);
                             } else if (status == QMediaPlayer::InvalidMedia) {
                                 refuse("this computer cannot play the file");
                             }
                         });
        QObject::connect(
            player, &QMediaPlayer::errorOccurred, player,
            [this](QMediaPlayer::Error, const QString& text) {
                refuse(text.isEmpty() ? "the file cannot be played" : text.toStdString());
            });
        player_->setSource(QUrl::fromLocalFile(path));
    }

    void play() override {
        if (player_ && !refused_) {
            player_->play();
        }
    }
    void pause() override {
        if (player_ && !refused_) {
            player_->pause();
        }
    }
    void stop() override {
        if (player_ && !refused_) {
            player_->stop();
        }
    }
    void seek(int64_t positionMs) override {
        if (player_ && !refused_) {
            player_->setPosition(positionMs);
        }
    }

  private:
    template <typename Function, typename... Args>
    static void call(const Function& function, Args&&... args) {
        if (function) {
            function(std::forward<Args>(args)...);
        }
    }
    void refuse(const std::string& reason) {
        if (refused_) {
            return;  // the first reason is the one that counts
        }
        refused_ = true;
        if (player_) {
            player_->stop();
        }
        call(listener_.unavailable, reason);
    }

    SoundPlayback::Listener listener_;
    std::unique_ptr<QAudioOutput> output_;
    std::unique_ptr<QMediaPlayer> player_;  // after its output: it goes first
    bool refused_ = false;
};

}  // namespace

}  // namespace lumora_usb_encoder

extern "C" Q_DECL_EXPORT lumora_usb_encoder::SoundPlayback* quillonMakeSoundPlayback(
    const char* path, const lumora_usb_encoder::SoundPlayback::Listener& listener) {
    // Qt's GStreamer side waits for ever, holding up the window, when the sound server is there
    // but GStreamer's sink and decoder plugins are not (Debian installs Qt without them). Its
    // FFmpeg side ships in the same package and needs nothing more. A choice the user made
    // stands; the media libraries read it once, at their first use, which is here.
    if (!qEnvironmentVariableIsSet("QT_MEDIA_BACKEND")) {
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    }
    return new lumora_usb_encoder::MediaPlayback(QString::fromUtf8(path), listener);
}
