#pragma once

// A game for the benchmarks that run the front end: on Qt's timers in real
// time, loaded, its records in a folder of its own under the system's
// temporary folder, removed at the end.

#include "bot/Bot.h"
#include "driver/Tessarin.h"
#include "qt/QtTimerHost.h"

#include <filesystem>
#include <string>
#include <unistd.h>

namespace tessarin::bench {

struct QtBenchGame {
    explicit QtBenchGame(const std::string& name)
        : folder(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(folder);
        game.Form_Load();
    }
    ~QtBenchGame() { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
    qt::QtTimerHost timers;
    SilentSound sound;
    DefaultRandom random;
    SystemClock clock;
    bot::BotDialogs dialogs{1};
    Tessarin game{{timers, sound, random, clock, dialogs, {15360, 11520}, folder}};
};

} // namespace tessarin::bench
