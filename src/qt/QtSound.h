#pragma once

#include "platform/Sound.h"

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QSoundEffect;

namespace tessarin::qt {

// Plays wave files from the working folder through QSoundEffect, without
// blocking. A file that is missing or is not a readable wave file is
// silent. While one sound plays, a new one is dropped rather than cutting
// it off: a sound counts as playing for the length its wave header gives,
// measured on the player's clock. With no audio output the player keeps
// the same rule but makes no sound, and says nothing on the console.
class QtSound : public QObject, public Sound {
    Q_OBJECT
public:
    using MsClock = std::function<qint64()>;

    explicit QtSound(std::filesystem::path folder, QObject* parent = nullptr);
    ~QtSound() override;

    void PlayWave(const std::string& name) override;
    // Where a sound not found in the working folder is looked for next, in
    // order: the installed game's sound folder, for one.
    void setFallbackFolders(std::vector<std::filesystem::path> folders) {
        fallbacks_ = std::move(folders);
    }

    // True while the last sound started is still playing.
    bool busy() const;
    // The clock in milliseconds that measures how long a sound plays.
    void setClock(MsClock clock) { clock_ = std::move(clock); }
    // Whether sounds go to the audio output; by default, when there is one.
    void setAudible(bool on) { audible_ = on; }
    // How many sounds have started, and the name of the last one.
    int started() const { return started_; }
    const std::string& lastStarted() const { return lastStarted_; }

    // Length of a wave file in milliseconds, or nothing when it is missing
    // or not a wave file.
    static std::optional<qint64> waveLength(const QString& path);
    // Keeps the multimedia back end quiet on the console (no audio device,
    // no sound server).
    static void quietAudioMessages();

private:
    bool audible();
    bool anyPlaying() const;

    // The file a sound is played from: the first folder that has it.
    QString find(const std::string& name) const;

    std::filesystem::path folder_;
    std::vector<std::filesystem::path> fallbacks_;
    MsClock clock_;
    std::optional<bool> audible_;
    qint64 busyUntil_ = 0;
    bool anyStarted_ = false;
    int started_ = 0;
    std::string lastStarted_;
    std::map<std::string, QSoundEffect*> effects_;
};

} // namespace tessarin::qt
