#include "qt/QtSound.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#include <QtEndian>

namespace tessarin::qt {

namespace {

QtMessageHandler previousHandler = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const QByteArray category(context.category ? context.category : "");
    if (category.startsWith("qt.multimedia") || message.contains("QSoundEffect") ||
        message.contains("PulseAudio", Qt::CaseInsensitive))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

QtSound::QtSound(std::filesystem::path folder, QObject* parent)
    : QObject(parent), folder_(std::move(folder)) {
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    clock_ = [elapsed] { return elapsed->elapsed(); };
}

QtSound::~QtSound() = default;

void QtSound::quietAudioMessages() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QLoggingCategory::setFilterRules(QStringLiteral("qt.multimedia*=false"));
    previousHandler = qInstallMessageHandler(quietHandler);
}

bool QtSound::audible() {
    if (!audible_)
        audible_ = !QMediaDevices::audioOutputs().isEmpty();
    return *audible_;
}

bool QtSound::anyPlaying() const {
    for (const auto& [name, effect] : effects_)
        if (effect->isPlaying())
            return true;
    return false;
}

QString QtSound::find(const std::string& name) const {
    const QString own = QString::fromStdString((folder_ / name).string());
    if (QFile::exists(own))
        return own;
    for (const auto& folder : fallbacks_) {
        const QString other = QString::fromStdString((folder / name).string());
        if (QFile::exists(other))
            return other;
    }
    return own;
}

bool QtSound::busy() const {
    return anyStarted_ && clock_() < busyUntil_;
}

void QtSound::PlayWave(const std::string& name) {
    if (busy() || anyPlaying())
        return; // never cut a sound off
    const QString path = find(name);
    const std::optional<qint64> length = waveLength(path);
    if (!length)
        return; // missing or unreadable: silent
    anyStarted_ = true;
    busyUntil_ = clock_() + *length;
    ++started_;
    lastStarted_ = name;
    if (!audible())
        return;
    QSoundEffect*& effect = effects_[name];
    if (!effect) {
        effect = new QSoundEffect(this);
        effect->setSource(QUrl::fromLocalFile(path));
    }
    effect->play();
}

std::optional<qint64> QtSound::waveLength(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return std::nullopt;
    quint32 byteRate = 0;
    std::optional<quint32> dataSize;
    while (!dataSize) {
        const QByteArray chunk = file.read(8);
        if (chunk.size() < 8)
            break;
        const quint32 size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        if (chunk.startsWith("fmt ")) {
            const QByteArray fmt = file.read(size);
            if (fmt.size() < 16)
                return std::nullopt;
            byteRate = qFromLittleEndian<quint32>(fmt.constData() + 8);
            if (size % 2)
                file.read(1);
        } else if (chunk.startsWith("data")) {
            dataSize = size;
        } else if (!file.seek(file.pos() + size + (size % 2))) {
            break;
        }
    }
    if (!dataSize || byteRate == 0)
        return std::nullopt;
    return static_cast<qint64>(*dataSize) * 1000 / byteRate;
}

} // namespace tessarin::qt
