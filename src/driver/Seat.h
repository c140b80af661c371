#pragma once

#include "dialogs/Dialogs.h"
#include "player/ComputerPlayer.h"

#include <cstdint>
#include <functional>

namespace tessarin {

// Who plays player 2: a second person at this keyboard, or the computer at
// one of three strengths (the menu's seat items, by their index), or a
// person at another machine while a network game runs (then this
// keyboard's player 2 keys do nothing). Whatever the seat, player 2's
// actions end in Form_KeyDown with player 2's configured keys, so every
// rule of the game holds for every seat.
struct Seat {
    enum Kind : int16_t {
        Keyboard = 0,
        ComputerEasy = 1,
        ComputerNormal = 2,
        ComputerHard = 3,
        Remote = 4, // not in the menu
    };
    // The kinds the menu offers, 0 to kKinds - 1.
    static constexpr int16_t kKinds = 4;
    // The name player 2 goes by while the computer has the seat.
    static constexpr const char* kComputerName = "Computer";

    Kind kind = Keyboard;

    bool computer() const { return kind >= ComputerEasy && kind <= ComputerHard; }
    bool remote() const { return kind == Remote; }
    // Whether player 2's keys typed at this keyboard play player 2.
    bool takesKeyboard() const { return kind == Keyboard; }
    Strength strength() const {
        switch (kind) {
        case ComputerEasy:
            return Strength::Easy;
        case ComputerNormal:
            return Strength::Normal;
        case ComputerHard:
        case Keyboard:
        case Remote:
            break;
        }
        return Strength::Hard;
    }
};

// Told of every message and results window the game shows, as it opens
// (the window's state is complete then, though not yet visible).
class DialogWatcher {
public:
    virtual void showing(const MessageForm& form) = 0;
    virtual void showing(const DuelResult& form) = 0;

protected:
    ~DialogWatcher() = default;
};

// The window's dialogs, counted: the window hands its dialog objects this
// wrapper of its dialogs service, and so knows whether one is open.
// `changed` runs as a dialog opens and once it has closed.
class CountingDialogs : public Dialogs {
public:
    CountingDialogs(Dialogs& inner, std::function<void()> changed)
        : inner_(inner), changed_(std::move(changed)) {}

    int open() const { return open_; }
    void setWatcher(DialogWatcher* watcher) { watcher_ = watcher; }

    void ShowModal(InputForm& form) override {
        counted([&] { inner_.ShowModal(form); });
    }
    void ShowModal(MessageForm& form) override {
        if (watcher_)
            watcher_->showing(form);
        counted([&] { inner_.ShowModal(form); });
    }
    void ShowModal(Custom& form) override {
        counted([&] { inner_.ShowModal(form); });
    }
    void ShowModal(DuelResult& form) override {
        if (watcher_)
            watcher_->showing(form);
        counted([&] { inner_.ShowModal(form); });
    }
    void ShowModal(About& form) override {
        counted([&] { inner_.ShowModal(form); });
    }
    void SystemMessage(const std::string& text, const std::string& title) override {
        counted([&] { inner_.SystemMessage(text, title); });
    }
    bool StartProgram(const std::string& commandLine) override {
        return inner_.StartProgram(commandLine);
    }
    void ShowHelp() override { inner_.ShowHelp(); }
    void EndProgram() override { inner_.EndProgram(); }

private:
    template <class Show> void counted(Show&& show) {
        ++open_;
        if (changed_)
            changed_();
        show();
        --open_;
        if (changed_)
            changed_();
    }

    Dialogs& inner_;
    std::function<void()> changed_;
    DialogWatcher* watcher_ = nullptr;
    int open_ = 0;
};

} // namespace tessarin
