#pragma once

#include <string>
#include <vector>

namespace tessarin {

// Plays a wave file by name from the working folder, asynchronously; a
// missing file is silent and a sound already playing is not interrupted.
class Sound {
public:
    virtual ~Sound() = default;
    virtual void PlayWave(const std::string& name) = 0;
};

// Plays nothing.
class SilentSound : public Sound {
public:
    void PlayWave(const std::string&) override {}
};

// Remembers every sound asked for, in order (tests and tools).
class RecordingSound : public Sound {
public:
    void PlayWave(const std::string& name) override { played.push_back(name); }
    void clear() { played.clear(); }
    std::vector<std::string> played;
};

} // namespace tessarin
