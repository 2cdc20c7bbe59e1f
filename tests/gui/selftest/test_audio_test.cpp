// The self test's "Test Audio" player: it plays its file once when made; without the file, the
// sound module, a codec or a sound device its controls are disabled and say why; and the real
// module, given a short WAV file, plays it to its end or tells of the missing device, never
// holding the window up.
#include <QFile>
#include <QLabel>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtEndian>
#include <QtTest>

#include "gui/selftest/test_sound.h"

using namespace lumora_usb_encoder;

namespace {

// What the player asked of its playback, and a way to speak as the playback.
struct FakePlayback final : SoundPlayback {
    void play() override { ++plays; }
    void pause() override { ++pauses; }
    void stop() override { ++stops; }
    void seek(int64_t positionMs) override { sought = positionMs; }
    Listener listener;
    int plays = 0, pauses = 0, stops = 0;
    int64_t sought = -1;
};

// A maker of fake playbacks that may refuse at once; `made` is the last one made.
TestSoundPlayer::PlaybackMaker fakeMaker(FakePlayback*& made, const QString& refusal = {}) {
    return [&made, refusal](const QString&, const SoundPlayback::Listener& listener) {
        auto playback = std::make_unique<FakePlayback>();
        playback->listener = listener;
        made = playback.get();
        if (!refusal.isEmpty()) {
            listener.unavailable(refusal.toStdString());
        }
        return std::unique_ptr<SoundPlayback>(std::move(playback));
    };
}

// A short tone as a 16-bit mono WAV file: a format the media libraries play without codecs.
bool writeWav(const QString& path, int milliseconds) {
    constexpr int kRate = 8000;
    QByteArray samples;
    for (int i = 0; i < kRate * milliseconds / 1000; ++i) {
        qint16 sample = qToLittleEndian<qint16>(static_cast<qint16>((i % 20 < 10) ? 3000 : -3000));
        samples.append(reinterpret_cast<const char*>(&sample), 2);
    }
    auto u32 = [](quint32 v) {
        quint32 le = qToLittleEndian(v);
        return QByteArray(reinterpret_cast<const char*>(&le), 4);
    };
    auto u16 = [](quint16 v) {
        quint16 le = qToLittleEndian(v);
        return QByteArray(reinterpret_cast<const char*>(&le), 2);
    };
    QByteArray wav = "RIFF" + u32(36 + static_cast<quint32>(samples.size())) + "WAVEfmt " +
                     u32(16) + u16(1) + u16(1) + u32(kRate) + u32(kRate * 2) + u16(2) + u16(16) +
                     "data" + u32(static_cast<quint32>(samples.size())) + samples;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size();
}

template <typename T>
T* must(QWidget* parent, const char* name) {
    auto* found = parent->findChild<T*>(name);
    if (found == nullptr) {
        qFatal("no control %s", name);
    }
    return found;
}

// The environment the ctest run without a sound device gives the test.
const QByteArray kNoSoundServer = "unix:/nonexistent/quillon-no-sound";

}  // namespace

class TestAudioTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder;
    QString sound() const { return folder.filePath("Audio Test.MP3"); }

  private slots:
    void init() { QFile::remove(sound()); }

    void controlsSayWhyTheSoundCannotPlay_data() {
        QTest::addColumn<bool>("filePresent");
        QTest::addColumn<bool>("modulePresent");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("reason");
        QTest::addRow("file absent") << false << true << ""
                                     << "\"Audio Test.MP3\" is not in";
        QTest::addRow("sound module absent") << true << false << ""
                                             << "libquillon-sound.so";
        QTest::addRow("no sound device") << true << true << "no sound device"
                                         << "no sound device";
        QTest::addRow("no codec") << true << true << "no codec for MP3"
                                  << "no codec for MP3";
    }
    void controlsSayWhyTheSoundCannotPlay() {
        QFETCH(bool, filePresent);
        QFETCH(bool, modulePresent);
        QFETCH(QString, refusal);
        QFETCH(QString, reason);
        if (filePresent) {
            QVERIFY(writeWav(sound(), 100));
        }
        FakePlayback* made = nullptr;
        auto maker = modulePresent ? fakeMaker(made, refusal) : TestSoundPlayer::PlaybackMaker{};
        TestSoundPlayer player(sound(), maker);
        QVERIFY2(player.unavailableReason().contains(reason),
                 qPrintable(player.unavailableReason()));
        for (const char* name : {"playBtn", "stopBtn", "positionSlider"}) {
            QWidget* control = must<QWidget>(&player, name);
            QVERIFY2(!control->isEnabled(), name);
            QCOMPARE(control->toolTip(), player.unavailableReason());
        }
        QCOMPARE(made == nullptr ? 0 : made->plays, 0);
    }

    void playsOnceAtStartAndTheControlsDriveIt() {
        QVERIFY(writeWav(sound(), 100));
        FakePlayback* made = nullptr;
        TestSoundPlayer player(sound(), fakeMaker(made));
        QVERIFY(made != nullptr);
        QCOMPARE(made->plays, 1);
        QVERIFY(player.unavailableReason().isEmpty());
        auto* play = must<QToolButton>(&player, "playBtn");
        QVERIFY(play->isEnabled());
        made->listener.playingChanged(true);
        QCOMPARE(play->accessibleName(), QString("Pause the test sound"));
        made->listener.progressed(1500, 63000);
        QCOMPARE(must<QLabel>(&player, "timeLbl")->text(), QString("0:01 / 1:03"));
        QCOMPARE(must<QSlider>(&player, "positionSlider")->value(), 1500);
        play->click();
        QCOMPARE(made->pauses, 1);
        made->listener.playingChanged(false);
        play->click();
        QCOMPARE(made->plays, 2);
        must<QToolButton>(&player, "stopBtn")->click();
        QCOMPARE(made->stops, 1);
        made->listener.ended();
        QCOMPARE(player.timesEnded(), 1);
        QCOMPARE(play->accessibleName(), QString("Play the test sound"));
    }

    // Wherever it runs, with or without a sound device, the window goes on.
    void realModuleNeverHoldsTheWindowUp() {
        QVERIFY(writeWav(sound(), 300));
        auto module = TestSoundPlayer::soundModuleAt(QUILLON_SOUND_MODULE_PATH);
        QVERIFY(module);
        TestSoundPlayer player(sound(), module);
        QTRY_VERIFY_WITH_TIMEOUT(player.timesEnded() == 1 || !player.unavailableReason().isEmpty(),
                                 20000);
    }

    // Run by the test "gui_selftest_audio_null_sink", with a sound device that plays into nothing.
    void realModulePlaysToItsEnd() {
        if (qgetenv("QUILLON_NULL_SINK") != "1") {
            QSKIP("needs a sound server (with_null_sink.sh)");
        }
        QVERIFY(writeWav(sound(), 300));
        TestSoundPlayer player(sound(), TestSoundPlayer::soundModuleAt(QUILLON_SOUND_MODULE_PATH));
        QVERIFY2(player.unavailableReason().isEmpty(), qPrintable(player.unavailableReason()));
        QTRY_COMPARE_WITH_TIMEOUT(player.timesEnded(), 1, 20000);
        QVERIFY(!player.playing());
    }

    // Run by the test "gui_selftest_audio_no_device", whose sound server is nowhere.
    void realModuleTellsOfTheMissingDevice() {
        if (qgetenv("PULSE_SERVER") != kNoSoundServer) {
            QSKIP("needs PULSE_SERVER pointing nowhere");
        }
        QVERIFY(writeWav(sound(), 300));
        TestSoundPlayer player(sound(), TestSoundPlayer::soundModuleAt(QUILLON_SOUND_MODULE_PATH));
        QTRY_COMPARE(player.unavailableReason(), QString("No test sound: no sound device"));
        QVERIFY(!must<QWidget>(&player, "playBtn")->isEnabled());
    }
};

QTEST_MAIN(TestAudioTest)
#include "test_audio_test.moc"
