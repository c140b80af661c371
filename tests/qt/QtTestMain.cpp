// The front-end tests run Qt without a screen: a QApplication on the
// offscreen platform, then every GoogleTest test.
#include "platform/qt/QtSound.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

QtMessageHandler previous = nullptr;

// The offscreen platform says so whenever a fixed-size window is laid out.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    if (previous)
        previous(type, context, message);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tessarin::qt::QtSound::quietAudioMessages();
    previous = qInstallMessageHandler(quietOffscreen);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
