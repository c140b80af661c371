#include "QtTestSupport.h"

#include <QCoreApplication>
#include <atomic>
#include <random>

namespace tessarin::qttest {

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("tessarin-qt-" + std::to_string(rd()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

GameRig::GameRig(ScreenSize screen) {
    game = std::make_unique<Tessarin>(
        Services{timers, sound, random, clock, dialogs, screen, folder.path()});
    game->Form_Load();
}

void duringModal(std::function<void()> f, std::function<void()> close) {
    QTimer::singleShot(0, qApp, [f = std::move(f), close] {
        f();
        close();
    });
}

bool shown(const QWidget* w) {
    return w && w->isVisible();
}

} // namespace tessarin::qttest
