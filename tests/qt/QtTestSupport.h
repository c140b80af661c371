#pragma once

#include "driver/Tessarin.h"
#include "platform/VirtualTimerHost.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessarin::qttest {

// Dialogs that answer at once: every form is closed as its close button
// would, and each call is remembered.
class ClosingDialogs : public Dialogs {
public:
    void ShowModal(InputForm& f) override {
        calls.push_back("input:" + f.TheWindow.Caption);
        f.Confirmed = false;
        f.TheWindow.Visible = false;
    }
    void ShowModal(MessageForm& f) override {
        calls.push_back("message:" + f.Label1.Caption);
        f.TheWindow.Visible = false;
    }
    void ShowModal(Custom& f) override {
        calls.push_back("custom");
        f.TheWindow.Visible = false;
    }
    void ShowModal(DuelResult& f) override {
        calls.push_back("records:" + f.TheWindow.Caption);
        f.TheWindow.Visible = false;
    }
    void ShowModal(About& f) override {
        calls.push_back("about");
        f.TheWindow.Visible = false;
    }
    void SystemMessage(const std::string& text, const std::string&) override {
        calls.push_back("system:" + text);
    }
    bool StartProgram(const std::string& commandLine) override {
        calls.push_back("start:" + commandLine);
        return false;
    }
    void ShowHelp() override { calls.push_back("help"); }
    void EndProgram() override {
        calls.push_back("end");
        ended = true;
    }
    std::vector<std::string> calls;
    bool ended = false;
};

// A fresh folder under the system's temporary folder, removed afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A game on virtual time with scripted dialogs, loaded and ready.
struct GameRig {
    explicit GameRig(ScreenSize screen = {1024 * 15, 768 * 15});
    TempFolder folder;
    VirtualTimerHost timers;
    RecordingSound sound;
    DefaultRandom random;
    FixedClock clock;
    ClosingDialogs dialogs;
    std::unique_ptr<Tessarin> game;
};

// Runs f inside the next modal loop, then close, which must make sure the
// loop ends even where f failed to close the window.
void duringModal(std::function<void()> f, std::function<void()> close);

// Whether the window is currently shown (for use inside a modal loop).
bool shown(const QWidget* w);

} // namespace tessarin::qttest
