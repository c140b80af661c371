#include "qt/QtSound.h"
#include "qt/QtTimerHost.h"
#include "support/TempFolder.h"

#include <QTimer>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace tessarin;
using namespace tessarin::qt;

TEST(QtTimerHost, EnablingStartsTheCountSettingTheIntervalRestartsItAndTheEndStopsAll) {
    QtTimerHost host;
    std::vector<int16_t> ticks; // the timer's index, then -1 for the window's update
    host.setAfterTick([&] { ticks.push_back(-1); });
    Timer t(host, 1, 0);
    t.setHandler([&](int16_t i) { ticks.push_back(i); });
    QTimer* q = host.qtimerFor(t);
    t.setInterval(200);
    EXPECT_FALSE(q->isActive()); // not enabled yet
    t.setEnabled(true);
    t.setInterval(200); // the same value still starts a new count
    t.setEnabled(true); // already enabled: no new count
    EXPECT_EQ(host.starts(t), 2);
    host.deliver(t);
    t.setEnabled(false);
    host.deliver(t);
    EXPECT_EQ(ticks, (std::vector<int16_t>{1, -1}));
    t.setEnabled(true);
    host.stopAll();
    t.setInterval(60);
    host.deliver(t);
    EXPECT_FALSE(q->isActive());
    EXPECT_EQ(ticks.size(), 2u);
}

// A PCM wave at 8000 bytes a second, a LIST chunk before its samples as editors write.
static void writeWave(const std::filesystem::path& path, quint32 ms) {
    QByteArray b;
    for (quint32 v : {0x46464952u, 48 + 8 * ms, 0x45564157u, 0x20746d66u, 16u, 0x10001u, 8000u,
                      8000u, 0x80001u, 0x5453494cu, 4u, 0x4f464e49u, 0x61746164u, 8 * ms}) {
        v = qToLittleEndian(v);
        b.append(reinterpret_cast<const char*>(&v), 4);
    }
    tessarin::testing::WriteBytes(path, (b + QByteArray(8 * ms, char(128))).toStdString());
}

TEST(QtSound, ASoundIsNeverCutOffMissingFilesAreSilentAndTheInstalledSetFillsIn) {
    tessarin::testing::TempFolder folder, installed;
    writeWave(folder / "move.wav", 100);
    writeWave(folder / "rotate.wav", 40);
    tessarin::testing::WriteBytes(folder / "broken.wav", "not a wave file at all");
    writeWave(installed / "chord.wav", 30);
    writeWave(installed / "move.wav", 500);
    QtSound sound(folder.path());
    sound.setAudible(false);
    qint64 now = 1000;
    sound.setClock([&] { return now; });
    for (const char* name : {"appear.wav", "broken.wav", "move.wav", "rotate.wav", "chord.wav"}) {
        sound.PlayWave(name); // only move.wav starts; the others are missing or dropped
        now += 33;
    }
    EXPECT_TRUE(sound.busy()); // 99 ms of 100
    now += 1;
    sound.PlayWave("chord.wav"); // none here
    sound.PlayWave("rotate.wav");
    now += 40;
    sound.setFallbackFolders({installed.path()});
    sound.PlayWave("chord.wav");
    now += 30;
    sound.PlayWave("move.wav"); // the working folder's own, 100 ms
    now += 100;
    EXPECT_FALSE(sound.busy());
    EXPECT_EQ(sound.started(), 4);
}
