// Qt without a screen: a QApplication on the offscreen platform, then every test.
#include "qt/QtSound.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The player's data folder (the host's key) is the run's own.
    const QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    QApplication app(argc, argv);
    tessarin::qt::QtSound::quietAudioMessages();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
