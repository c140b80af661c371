#pragma once

// A player that plays Tessarin headless, on virtual time, through the same
// handlers a person reaches: menu commands by name (Tessarin::Click), the
// players' configured keys as the keyboard sends them (Keyboard_KeyDown),
// and dialogs that a scripted "person" answers. With the computer in
// player 2's seat the bot plays player 1 only. Soak tests and benchmarks run whole games with it.

#include "dialogs/Dialogs.h"
#include "driver/Tessarin.h"
#include "game/ShapeTable.h"
#include "platform/Random.h"
#include "platform/Sound.h"
#include "platform/VirtualTimerHost.h"
#include "player/ComputerPlayer.h"
#include "player/Planner.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace tessarin::bot {

// The bot's own seeded choices, kept apart from the game's random source so
// that what the bot decides does not change which pieces come.
using BotRandom = PlayerRandom;

// Dialogs as a person at the keyboard answers them: the name window gets a
// typed name (or is cancelled), messages are dismissed with Enter, the
// records and duel results are closed with Ok, the control keys are left
// with Cancel (or Ok, keys unchanged), the about box with Ok. Each window
// may stay open for a while of virtual time, during which the window's
// timers keep running, as they do under a real modal dialog.
class BotDialogs : public Dialogs {
public:
    explicit BotDialogs(uint64_t seed) : random_(seed) {}

    // Typed into the name window in turn, cycling.
    std::vector<std::string> names{"Ann", "Bob"};
    // Chance that the name window is cancelled instead.
    double cancelNameChance = 0.0;
    // The control-key dialog: true presses Ok (the keys as they are), false
    // Cancel.
    bool customOk = false;
    // With customOk, the speed-down and turning options to choose (-1: as
    // the dialog shows them).
    int customSpeedMode = -1;
    int customRotateMode = -1;
    // Runs while a modal window is open, before it is closed; the open
    // windows at that moment (this one included) are counted in openDepth().
    // Once the program has ended (the main window closed meanwhile), an open
    // window goes without an answer, as the program's end takes it away, and
    // no window opens any more.
    std::function<void()> whileOpen;

    struct Counts {
        int64_t names = 0, messages = 0, records = 0, customs = 0, abouts = 0, systemMessages = 0,
                programsStarted = 0, helps = 0, endPrograms = 0;
    };
    Counts counts;
    std::string lastMessage;       // the text of the last message shown
    std::string lastSystemMessage; // the text of the last system message
    int openDepth() const { return depth_; }
    // The innermost open window: "message", "name", "records" (the records
    // or the duel results window, by its caption in `records`), "control
    // keys", "about" or "system message"; empty when none is open.
    const std::string& openWindow() const { return open_.empty() ? kNone : open_.back(); }

    void ShowModal(InputForm& form) override;
    void ShowModal(MessageForm& form) override;
    void ShowModal(Custom& form) override;
    void ShowModal(DuelResult& form) override;
    void ShowModal(About& form) override;
    void SystemMessage(const std::string& text, const std::string& title) override;
    bool StartProgram(const std::string& commandLine) override;
    void ShowHelp() override;
    void EndProgram() override;

private:
    template <class Form, class F> void open(const std::string& window, Form& form, F&& close);

    inline static const std::string kNone;
    BotRandom random_;
    size_t nextName_ = 0;
    int depth_ = 0;
    bool ended_ = false;
    std::vector<std::string> open_;
};

// ---- Playing

enum class Strategy {
    None,     // presses nothing
    Random,   // random keys at random moments
    Greedy,   // plans each piece and steers it there, at the bot's own pace
    Computer, // the computer player at the strength of BotOptions::strength
};

struct BotOptions {
    uint64_t seed = 1;
    std::array<Strategy, 2> strategy{Strategy::Greedy, Strategy::Greedy};
    std::array<Strength, 2> strength{Strength::Normal, Strength::Normal}; // Computer
    int reactionMs = 30;        // greedy: virtual time between two key presses
    int keyGapMs = 0;           // greedy: ... but this between the keys of one piece (0: as above)
    double mistakeChance = 0.0; // greedy: chance per piece of a random placement
    int randomGapMs = 150;      // random: mean time between two key presses
    int dialogOpenMs = 0;       // virtual time a dialog stays open (timers run)
    double clockStart = 43200;  // the game's time of day at virtual time 0, s
    // Where the score file lives; empty: a temporary folder of the bot's own,
    // removed with it.
    std::filesystem::path workingFolder;
};

// One event the window handled.
struct Event {
    enum class Kind { Load, Click, Key, Timer, Close };
    Kind kind = Kind::Load;
    std::string name; // the menu item, the timer ("tmrMain", ...), "key" or "Form_Unload"
    int index = -1;   // menu array index, timer index or key code
    int depth = 0;    // dialogs open around it (0: a top-level event)
};

struct GameSetup {
    int16_t mode = Tessarin::kStandard;
    bool gameB = false;
    int16_t level = 0;
    int16_t speed = 0;
    int64_t maxMs = 3'600'000; // Stop after this much virtual time (0: no limit)
    int64_t maxPieces = 0;     // Stop after this many pieces (0: no limit)
    int16_t seat = -1;         // who plays player 2 (Seat::Kind; -1: as it is)
};

struct GameResult {
    bool stopped = false; // ended by Stop rather than by a piece that could not appear
    int64_t ms = 0;       // virtual time from New Game to the end of the curtain
    int64_t pieces = 0;
    std::array<int32_t, 2> score{};
    std::array<int16_t, 2> lines{};
    int16_t winner = 2; // Duel
};

// Running totals over everything a BotGame played.
struct Totals {
    int64_t events = 0;
    int64_t pieces = 0;
    int64_t sinkingSquares = 0, takeTools = 0, addTools = 0; // special pieces handed over
    int64_t toolPresses = 0;   // Rotate presses on a tool by a greedy player
    int64_t clears = 0;        // removals of rows (one blink or one add)
    int64_t lines = 0;         // rows removed
    int64_t deliveredRows = 0; // Duel: rows pushed into the opponent's field
    int64_t gameOvers = 0;     // games ended by a piece that could not appear
    int64_t stops = 0;         // games ended by Stop

    Totals& operator+=(const Totals& o) {
        events += o.events;
        pieces += o.pieces;
        sinkingSquares += o.sinkingSquares;
        takeTools += o.takeTools;
        addTools += o.addTools;
        toolPresses += o.toolPresses;
        clears += o.clears;
        lines += o.lines;
        deliveredRows += o.deliveredRows;
        gameOvers += o.gameOvers;
        stops += o.stops;
        return *this;
    }
};

// A main window on virtual time with its services, played by up to two bots.
class BotGame {
public:
    using EventHook = std::function<void(const Event&)>;

    explicit BotGame(BotOptions options = {});
    ~BotGame();
    BotGame(const BotGame&) = delete;
    BotGame& operator=(const BotGame&) = delete;

    Tessarin& game() { return *game_; }
    VirtualTimerHost& timers() { return timers_; }
    BotDialogs& dialogs() { return dialogs_; }
    BotOptions& options() { return options_; }
    BotRandom& random() { return random_; }
    const Totals& totals() const { return totals_; }
    int64_t now() const { return timers_.now(); }
    const std::filesystem::path& workingFolder() const { return folder_; }
    // What a greedy or computer player means to do with its current piece.
    const Placement& plan(int player) const;

    // Called after every event the window handled, dialogs' nested events
    // included, once the bot has looked at the result.
    void setEventHook(EventHook hook) { hook_ = std::move(hook); }
    // Called just before the window handles each of those events.
    void setBeforeEventHook(EventHook hook) { beforeHook_ = std::move(hook); }
    // Asked as each modal window opens, with its name (BotDialogs::openWindow):
    // true closes the main window from inside it.
    void setCloseFromWindow(std::function<bool(const std::string& window)> choose) {
        closeFromWindow_ = std::move(choose);
    }

    // What a person does.
    void click(const std::string& name, int index = -1);
    void key(int16_t code);
    // Closes the main window (its close button): the program ends.
    void close();
    // Lets ms of virtual time pass: timer ticks, and the bots' keys between
    // them.
    void step(int64_t ms);

    // From New Game until the end of the game-over curtain.
    bool running() const;
    // Chooses the mode by its menu command (the names are asked).
    void chooseMode(int16_t mode);
    // Sets the game up through the menus, starts it and plays it to the end
    // of the curtain; a game that reaches a limit of the set-up is stopped.
    GameResult playGame(const GameSetup& setup);

private:
    struct PlayerState {
        const SquareSet* piece = nullptr; // the object seen last
        int16_t shape = -1;               // its shape when seen last
        int64_t nextAction = std::numeric_limits<int64_t>::max();
        std::unique_ptr<ComputerPlayer> computer; // Greedy and Computer
    };

    void wrapTimers();
    void before(Event::Kind kind, const char* name, int index);
    void after(Event::Kind kind, const char* name, int index);
    void observe(Event::Kind kind, const std::string& name);
    void newPiece(int player);
    void act(int player);
    void actComputer(int player);
    PlayStyle styleOf(int player) const;
    void actRandom(int player);
    void dialogOpen();
    int players() const;
    // Whether the bot plays this player from the keyboard: player 2 only
    // while the keyboard has player 2's seat.
    bool atKeyboard(int player) const;

    BotOptions options_;
    std::filesystem::path folder_;
    bool ownFolder_ = false;
    VirtualTimerHost timers_;
    SilentSound sound_;
    DefaultRandom gameRandom_;
    class VirtualClock : public Clock {
    public:
        VirtualClock(const VirtualTimerHost& timers, double start)
            : timers_(timers), start_(start) {}
        double secondsSinceMidnight() override;

    private:
        const VirtualTimerHost& timers_;
        double start_;
    } clock_;
    BotDialogs dialogs_;
    BotRandom random_;
    std::unique_ptr<Tessarin> game_;
    EventHook hook_;
    EventHook beforeHook_;
    std::function<bool(const std::string&)> closeFromWindow_;
    Totals totals_;
    std::array<PlayerState, 2> players_;
    std::array<const Canvas*, 2> fieldSeen_{};
    std::array<int16_t, 2> linesSeen_{};
    bool wasPlaying_ = false;
    bool stopping_ = false;
    int64_t gamePieces_ = 0;
};

} // namespace tessarin::bot
