#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "gui/selftest/sound_playback.h"

class QLabel;
class QSlider;
class QToolButton;

namespace lumora_usb_encoder {

// The self test's small player for its test sound: play/pause, stop and the position. It plays
// the file once as soon as it is made. Without the file, the sound module, a codec or a sound
// device its controls stay disabled, their tooltip saying why, and nothing waits on them.
class TestSoundPlayer : public QWidget {
    Q_OBJECT
  public:
    // Makes the playback of a file; empty when the sound module is not there.
    using PlaybackMaker = std::function<std::unique_ptr<SoundPlayback>(
        const QString& path, const SoundPlayback::Listener& listener)>;

    // The sound module's maker: the module is loaded on the first call, beside the program in
    // the build tree or in its library folder once installed.
    static PlaybackMaker soundModule();
    // The maker of the module at `path`; empty when it cannot be loaded.
    static PlaybackMaker soundModuleAt(const QString& path);

    TestSoundPlayer(const QString& file, const PlaybackMaker& maker, QWidget* parent = nullptr);
    ~TestSoundPlayer() override;

    // Why the sound cannot play; empty while it can.
    QString unavailableReason() const { return reason_; }
    bool playing() const { return playing_; }
    // How often the sound has played to its end.
    int timesEnded() const { return ended_; }

  private:
    void buildControls();
    void setUnavailable(const QString& reason);
    void showPlaying(bool playing);
    void showPosition(qint64 positionMs, qint64 durationMs);
    void playOrPause();

    std::unique_ptr<SoundPlayback> playback_;
    QString reason_;
    bool playing_ = false;
    int ended_ = 0;
    QToolButton* playBtn = nullptr;
    QToolButton* stopBtn = nullptr;
    QSlider* positionSlider = nullptr;
    QLabel* timeLbl = nullptr;
};

}  // namespace lumora_usb_encoder
