#include "gui/selftest/test_sound.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLibrary>
#include <QPointer>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

namespace lumora_usb_encoder {

namespace {

QString minutes(qint64 ms) {
    qint64 seconds = ms / 1000;
    return QString("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0'));
}

QToolButton* toolButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon,
                        const QString& accessibleName) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setAccessibleName(accessibleName);
    button->setAutoRaise(true);
    return button;
}

}  // namespace

TestSoundPlayer::PlaybackMaker TestSoundPlayer::soundModuleAt(const QString& path) {
    QLibrary module(path);
    // QLibrary leaves the module loaded: the playbacks it makes live on.
    auto make = reinterpret_cast<MakeSoundPlayback>(module.resolve(kMakeSoundPlaybackSymbol));
    if (make == nullptr) {
        return {};
    }
    return [make](const QString& file, const SoundPlayback::Listener& listener) {
        return std::unique_ptr<SoundPlayback>(make(file.toUtf8().constData(), listener));
    };
}

TestSoundPlayer::PlaybackMaker TestSoundPlayer::soundModule() {
    static const PlaybackMaker maker = [] {
        const QString programDir = QCoreApplication::applicationDirPath();
        for (const QString& dir : {programDir, programDir + "/" + QUILLON_SOUND_MODULE_DIR}) {
            if (auto found = soundModuleAt(dir + "/quillon-sound")) {
                return found;
            }
        }
        return PlaybackMaker{};
    }();
    return maker;
}

TestSoundPlayer::TestSoundPlayer(const QString& file, const PlaybackMaker& maker, QWidget* parent)
    : QWidget(parent) {
    setObjectName("axWindowsMediaPlayer1");
    setAccessibleName("Test sound player");
    buildControls();
    QFileInfo sound(file);
    if (!sound.isFile()) {
        setUnavailable(QString("No test sound: \"%1\" is not in %2")
                           .arg(sound.fileName(), sound.absolutePath()));
        return;
    }
    if (!maker) {
        setUnavailable("No test sound: the sound player (libquillon-sound.so) is not installed");
        return;
    }
    // The playback tells on the window's thread; a player gone meanwhile hears nothing.
    QPointer<TestSoundPlayer> self(this);
    SoundPlayback::Listener listener;
    listener.playingChanged = [self](bool playing) {
        if (self) {
            self->showPlaying(playing);
        }
    };
    listener.progressed = [self](int64_t position, int64_t duration) {
        if (self) {
            self->showPosition(position, duration);
        }
    };
    listener.ended = [self] {
        if (self) {
            ++self->ended_;
            self->showPlaying(false);
        }
    };
    listener.unavailable = [self](const std::string& reason) {
        if (self) {
            self->setUnavailable("No test sound: " + QString::fromStdString(reason));
        }
    };
    playback_ = maker(sound.absoluteFilePath(), listener);
    if (!playback_) {
        setUnavailable("No test sound: the sound player could not start");
    } else if (reason_.isEmpty()) {
        playback_->play();
    }
}

TestSoundPlayer::~TestSoundPlayer() = default;

void TestSoundPlayer::buildControls() {
    playBtn = toolButton(this, "playBtn", QStyle::SP_MediaPlay, "Play the test sound");
    stopBtn = toolButton(this, "stopBtn", QStyle::SP_MediaStop, "Stop the test sound");
    positionSlider = new QSlider(Qt::Horizontal, this);
    positionSlider->setObjectName("positionSlider");
    positionSlider->setAccessibleName("Test sound position");
    positionSlider->setMinimumWidth(80);
    timeLbl = new QLabel(minutes(0), this);
    timeLbl->setObjectName("timeLbl");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(playBtn);
    row->addWidget(stopBtn);
    row->addWidget(positionSlider, 1);
    row->addWidget(timeLbl);
    connect(playBtn, &QToolButton::clicked, this, &TestSoundPlayer::playOrPause);
    connect(stopBtn, &QToolButton::clicked, this, [this] { playback_->stop(); });
    connect(positionSlider, &QSlider::sliderReleased, this,
            [this] { playback_->seek(positionSlider->value()); });
}

void TestSoundPlayer::setUnavailable(const QString& reason) {
    reason_ = reason;
    playing_ = false;
    for (QWidget* control : std::initializer_list<QWidget*>{playBtn, stopBtn, positionSlider}) {
        control->setEnabled(false);
        control->setToolTip(reason);
        control->setAccessibleDescription(reason);
    }
    setToolTip(reason);
}

void TestSoundPlayer::showPlaying(bool playing) {
    playing_ = playing;
    playBtn->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    playBtn->setAccessibleName(playing ? "Pause the test sound" : "Play the test sound");
}

void TestSoundPlayer::showPosition(qint64 positionMs, qint64 durationMs) {
    positionSlider->setRange(0, static_cast<int>(durationMs));
    if (!positionSlider->isSliderDown()) {
        positionSlider->setValue(static_cast<int>(positionMs));
    }
    timeLbl->setText(minutes(positionMs) + " / " + minutes(durationMs));
}

void TestSoundPlayer::playOrPause() {
    if (playing_) {
        playback_->pause();
    } else {
        playback_->play();
    }
}

}  // namespace lumora_usb_encoder
