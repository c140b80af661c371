// The Qt services: timers, sound, and the twips and looks of elements.
#include "QtTestSupport.h"
#include "platform/qt/Looks.h"
#include "platform/qt/QtSound.h"
#include "platform/qt/QtTimerHost.h"

#include <QFile>
#include <QFontInfo>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tessarin;
using namespace tessarin::qt;

TEST(QtTimerHost, EnablingStartsCountingAndIntervalRestarts) {
    QtTimerHost host;
    int ticks = 0, synced = 0;
    host.setAfterTick([&] { ++synced; });
    Timer t(host, 1, 0);
    std::vector<int16_t> indexes;
    t.setHandler([&](int16_t i) {
        ++ticks;
        indexes.push_back(i);
    });
    QTimer* q = host.qtimerFor(t);
    ASSERT_NE(q, nullptr);
    EXPECT_FALSE(q->isActive());
    EXPECT_EQ(q->timerType(), Qt::PreciseTimer);

    t.setInterval(200); // not enabled: still stopped
    EXPECT_FALSE(q->isActive());
    t.setEnabled(true);
    EXPECT_TRUE(q->isActive());
    EXPECT_EQ(q->interval(), 200);

    EXPECT_EQ(host.starts(t), 1);

    // Setting the interval, even to the same value, starts a new count.
    t.setInterval(200);
    EXPECT_TRUE(q->isActive());
    EXPECT_EQ(host.starts(t), 2);
    t.setInterval(120);
    EXPECT_EQ(q->interval(), 120);
    EXPECT_EQ(host.starts(t), 3);
    // Enabling an enabled timer changes nothing.
    t.setEnabled(true);
    EXPECT_EQ(host.starts(t), 3);

    // A tick reaches the handler with the timer's index, then the window.
    host.deliver(t);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(synced, 1);
    EXPECT_EQ(indexes, std::vector<int16_t>{1});

    // A disabled timer or one with no interval does not tick.
    t.setEnabled(false);
    EXPECT_FALSE(q->isActive());
    host.deliver(t);
    EXPECT_EQ(ticks, 1);
    t.setEnabled(true);
    t.setInterval(0);
    EXPECT_FALSE(q->isActive());

    // Once the program ends nothing ticks any more.
    t.setInterval(50);
    EXPECT_TRUE(q->isActive());
    host.stopAll();
    EXPECT_FALSE(q->isActive());
    host.deliver(t);
    t.setInterval(60);
    EXPECT_FALSE(q->isActive());
    EXPECT_EQ(ticks, 1);
}

TEST(QtTimerHost, AGamesTimersBindStoppedAndUnbindWithTheGame) {
    QtTimerHost host;
    {
        qttest::TempFolder folder;
        RecordingSound sound;
        DefaultRandom random;
        FixedClock clock;
        qttest::ClosingDialogs dialogs;
        Tessarin game(Services{host, sound, random, clock, dialogs, {}, folder.path()});
        EXPECT_NE(host.qtimerFor(*game.tmrGameOver), nullptr);
        EXPECT_FALSE(host.qtimerFor(*game.tmrMain[0])->isActive());
        EXPECT_EQ(host.bound(), 9u); // four per player and the curtain
    }
    EXPECT_EQ(host.bound(), 0u);
}

namespace {

// A PCM wave file of the given length at 8000 bytes a second, with an
// extra chunk before the samples as many editors write.
void writeWave(const std::filesystem::path& path, int milliseconds) {
    const quint32 rate = 8000;
    const quint32 dataBytes = rate * milliseconds / 1000;
    QByteArray b;
    auto u32 = [&](quint32 v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    auto u16 = [&](quint16 v) {
        b.append(char(v & 0xFF));
        b.append(char(v >> 8));
    };
    b.append("RIFF");
    u32(4 + 8 + 16 + 8 + 4 + 8 + dataBytes);
    b.append("WAVE");
    b.append("fmt ");
    u32(16);
    u16(1);    // PCM
    u16(1);    // mono
    u32(rate); // samples a second
    u32(rate); // bytes a second
    u16(1);    // block
    u16(8);    // bits
    b.append("LIST");
    u32(4);
    b.append("INFO");
    b.append("data");
    u32(dataBytes);
    b.append(QByteArray(int(dataBytes), char(128)));
    QFile f(QString::fromStdString(path.string()));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(b);
}

} // namespace

TEST(QtSound, ASoundIsNotCutOffAndMissingFilesAreSilent) {
    qttest::TempFolder folder;
    writeWave(folder.path() / "move.wav", 100);
    writeWave(folder.path() / "rotate.wav", 40);
    {
        QFile junk(QString::fromStdString((folder.path() / "broken.wav").string()));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write("not a wave file at all");
    }
    QtSound sound(folder.path());
    sound.setAudible(false);
    qint64 now = 1000;
    sound.setClock([&] { return now; });

    EXPECT_EQ(QtSound::waveLength(QString::fromStdString((folder.path() / "move.wav").string())),
              100);
    EXPECT_FALSE(
        QtSound::waveLength(QString::fromStdString((folder.path() / "none.wav").string())));

    // Missing and unreadable files are silent and do not block what follows.
    sound.PlayWave("appear.wav");
    sound.PlayWave("broken.wav");
    EXPECT_EQ(sound.started(), 0);
    EXPECT_FALSE(sound.busy());

    sound.PlayWave("move.wav");
    EXPECT_EQ(sound.started(), 1);
    EXPECT_TRUE(sound.busy());
    // While it plays, a new sound is dropped, not queued.
    now += 60;
    sound.PlayWave("rotate.wav");
    EXPECT_EQ(sound.started(), 1);
    EXPECT_EQ(sound.lastStarted(), "move.wav");
    now += 39;
    EXPECT_TRUE(sound.busy());
    now += 1;
    EXPECT_FALSE(sound.busy());
    sound.PlayWave("rotate.wav");
    EXPECT_EQ(sound.started(), 2);
    EXPECT_EQ(sound.lastStarted(), "rotate.wav");
    // A missing file while another plays changes nothing either.
    sound.PlayWave("chord.wav");
    EXPECT_EQ(sound.started(), 2);
    now += 40;
    EXPECT_FALSE(sound.busy());

    // A sound the working folder lacks comes from the installed set; one it
    // has is its own.
    qttest::TempFolder installed;
    writeWave(installed.path() / "chord.wav", 30);
    writeWave(installed.path() / "move.wav", 500);
    sound.setFallbackFolders({installed.path()});
    sound.PlayWave("chord.wav");
    EXPECT_EQ(sound.lastStarted(), "chord.wav");
    now += 30;
    sound.PlayWave("move.wav");
    now += 100;
    EXPECT_FALSE(sound.busy());
}

TEST(Looks, TwipsBecomePixelsOfTheScaleAndFontsMapToTheSystemFamilies) {
    EXPECT_EQ(toPixels(3915, 1), 261);
    EXPECT_EQ(toPixels(1710, 1), 114);
    EXPECT_EQ(toPixels(3915, 2), 522);
    EXPECT_EQ(toPixels(240, 3), 48);
    // Neighbouring elements stay flush however the edges round.
    const QRect a = toPixels(1000, 0, 2710, 100, 1);
    const QRect b = toPixels(3710, 0, 100, 100, 1);
    EXPECT_EQ(a.right() + 1, b.left());

    const QFont sans = toQFont({"MS Sans Serif", 8.25, true, false}, 1);
    EXPECT_EQ(sans.pixelSize(), 11);
    EXPECT_TRUE(sans.bold());
    EXPECT_EQ(sans.styleHint(), QFont::SansSerif);
    const QFont serif = toQFont({"Times New Roman", 18, true, true}, 1);
    EXPECT_EQ(serif.pixelSize(), 24);
    EXPECT_TRUE(serif.italic());
    EXPECT_EQ(serif.styleHint(), QFont::Serif);
    EXPECT_EQ(toQFont({"Times New Roman", 15, true, true}, 2).pixelSize(), 40);

    const QPalette pal;
    EXPECT_EQ(toQColor(rgb(0, 255, 0), SystemColour::None, pal), QColor(0, 255, 0));
    EXPECT_EQ(toQColor(0, SystemColour::WindowText, pal), pal.color(QPalette::WindowText));
    EXPECT_EQ(toQColor(0, SystemColour::InfoBackground, pal), pal.color(QPalette::ToolTipBase));
}
