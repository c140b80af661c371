#pragma once

#include "dialogs/About.h"
#include "dialogs/Custom.h"
#include "dialogs/Dialogs.h"
#include "dialogs/DuelResult.h"
#include "dialogs/InputBox.h"
#include "dialogs/MessageBox.h"
#include "driver/MenuTree.h"
#include "driver/Seat.h"
#include "game/Canvas.h"
#include "game/CellImages.h"
#include "game/DuelTally.h"
#include "game/PlayerKeys.h"
#include "game/Records.h"
#include "game/ShapeTable.h"
#include "game/SquareSet.h"
#include "platform/Random.h"
#include "platform/Sound.h"
#include "platform/Surface.h"
#include "platform/Timer.h"
#include "platform/WindowElements.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tessarin {

// What the game runs on: the app, a test or a tool each bring their own.
struct Services {
    TimerHost& timers;
    Sound& sound;
    RandomSource& random;
    Clock& clock;
    Dialogs& dialogs;
    ScreenSize screen;
    std::filesystem::path workingFolder;
};

// The main window's game logic: settings, per-player objects, timers, the
// window elements it lays out, and the handlers of every window event.
// Public fields are the window's state record; the front end shows them and
// calls the handlers, tests and tools drive and inspect them.
class Tessarin {
public:
    // Mode codes.
    static constexpr int16_t kStandard = 0;
    static constexpr int16_t kCooperation = 1;
    static constexpr int16_t kDuel = 2;
    static constexpr int16_t kNoMode = 4;
    // Winner: player 1 (0), player 2 (1), or nobody yet.
    static constexpr int16_t kNoWinner = 2;
    // The per-player arrays: index 0 is player 1, index 1 player 2.
    static constexpr int kPlayers = 2;

    // The timers' intervals, ms: the fall until the first New Game sets
    // its speed, a row clear's blink steps, the blink of the next piece,
    // the curtain's rows, and how often the computer may press a key.
    static constexpr int kFirstFallMs = 770;
    static constexpr int kDeleteStepMs = 200;
    static constexpr int kBlinkMs = 250;
    static constexpr int kCurtainStepMs = 30;
    static constexpr int kComputerLookMs = 100;
    // Speeds 0 to 9; after 9 the cadence starts again.
    static constexpr int kSpeeds = 10;
    // A duel series: its results are shown after this many wins in all.
    static constexpr int kDuelsInSeries = 10;
    // Clearing this many rows at once in a Duel delivers them.
    static constexpr int kRowsToDeliver = 2;

    explicit Tessarin(const Services& services);
    ~Tessarin();
    Tessarin(const Tessarin&) = delete;
    Tessarin& operator=(const Tessarin&) = delete;

    // ---- Window events
    void Form_Load();
    void Form_KeyDown(int16_t KeyCode, int16_t Shift);
    void Form_Paint();
    void picCanvas_Paint(int16_t Index);
    void Form_Unload();

    // ---- Menu commands
    void mnuOnePlayer_Click();
    void mnuDuel_Click();
    void mnuCooperation_Click();
    void mnuNewGame_Click();
    void mnuPause_Click();
    void mnuStop_Click();
    void mnuChangeName_Click();
    void mnuBestScore_Click();
    void mnuDuelResult_Click();
    void mnuExit_Click();
    void mnuLevel_Click(int16_t Index);
    void mnuSpeed_Click(int16_t Index);
    void mnuSound_Click();
    void mnuPreview_Click();
    void mnuGameA_Click();
    void mnuGameB_Click();
    void mnuCustom_Click();
    void mnuHow_Click();
    void mnuAbout_Click();
    // Who plays player 2: Index 0 the keyboard, 1 to 3 the computer, Easy,
    // Normal or Hard (the values of Seat::Kind).
    void mnuSeat_Click(int16_t Index);
    // Runs the command of a menu item by its name (and index for arrays);
    // what the front end calls. Disabled items and separators do nothing.
    void Click(const std::string& name, int index = -1);

    // ---- Timer events
    void tmrMain_Timer(int16_t Index);
    void tmrDelete_Timer(int16_t Index);
    void tmrBlink_Timer(int16_t Index);
    void tmrPreBlink_Timer(int16_t Index);
    void tmrGameOver_Timer();
    // The computer's next key as player 2.
    void tmrComputer_Timer();

    // ---- Keys from this machine's keyboard, as the front end receives
    // them: Form_KeyDown, except that player 2's keys do not play player 2
    // while someone else has player 2's seat.
    void Keyboard_KeyDown(int16_t KeyCode, int16_t Shift);

    // ---- Player 2 at another machine (driver/NetworkSeat.cpp). The joiner
    // takes player 2's seat under their own name: the seat commands do
    // nothing until they leave, and player 2's name is not asked.
    void SeatRemotePlayer(const std::string& name);
    // The joiner has gone: a game in play pauses while the player is told
    // text (none when empty), and ends as Stop ends it; the seat returns to
    // the keyboard.
    void RemotePlayerLeft(const std::string& text);

    // ---- A game in play pauses (if it runs) while the player is told text
    // (driver/Gamepads.cpp: a pad pulled out).
    void PauseAndTell(const std::string& text);

    // ---- Public operations
    void PreToCur(int16_t Index);
    int16_t MakeShape(int16_t ShapeNum, int16_t CannotBe);
    void GameOver();
    void DoForGameOver();

    // ---- Settings and per-player objects
    std::array<std::unique_ptr<SquareSet>, kPlayers> Squares;
    std::array<std::unique_ptr<SquareSet>, kPlayers> Previews;
    std::array<std::unique_ptr<Canvas>, kPlayers> Fields;
    std::array<std::unique_ptr<Canvas>, kPlayers> PreviewFields;
    ShapeInfoTable ShapeInfo;
    std::unique_ptr<MessageBox> TheMessageBox;
    std::unique_ptr<InputBox> TheInputBox;
    int16_t Mode = kNoMode;
    int16_t Level = 0;
    int16_t Speed = 0;
    bool Sound = true;
    bool Preview = true;
    std::string GameType = "A";
    int16_t ShapeCount = 7;
    bool Playing = false;
    int16_t ClearingPlayer = 0;
    RowArray DeliveredRows;
    int16_t Winner = 0;
    // How often each player's rows have gone to the opponent (the pads
    // shake then).
    std::array<int, kPlayers> Deliveries{};
    std::string Player1Name = "Player1";
    std::string Player2Name = "Player2";
    // Player 2's seat, and the computer that plays there while it has the
    // seat.
    Seat Player2Seat;
    std::unique_ptr<ComputerPlayer> Computer;

    // Program-wide: keys, speed and rotate modes, fall intervals.
    ControlSettings Controls;
    std::array<int16_t, kSpeeds> SpeedTable{};

    // Row clear and curtain state, shared by both players. A clear's steps
    // keep the numbers they have always had.
    enum class ClearStep : int16_t { Hide = 0, Show = 1, Finish = 2 };
    ClearStep DeleteStep = ClearStep::Hide;
    int16_t CurtainRow = 0;
    bool CurtainClearing = false;
    DuelTallyTable DuelTally;
    Records TheRecords;

    // ---- Timers (created disabled)
    std::array<std::unique_ptr<Timer>, 2> tmrMain;
    std::array<std::unique_ptr<Timer>, 2> tmrDelete;
    std::array<std::unique_ptr<Timer>, 2> tmrBlink;
    std::array<std::unique_ptr<Timer>, 2> tmrPreBlink;
    std::unique_ptr<Timer> tmrGameOver;
    // The computer's keys: runs only while it has a game to play (playing,
    // not paused, no dialog open), at its own pace.
    std::unique_ptr<Timer> tmrComputer;

    // ---- Window elements
    Window TheWindow;
    MenuTree Menus;
    CellImages Images;
    // Element 0 always exists; element 1 only while a two-player mode needs it.
    std::array<std::unique_ptr<Surface>, 2> picCanvas;
    std::array<std::unique_ptr<Surface>, 2> picPreviewer;
    Label lblGame0, lblSpeed0, lblLines0, lblScore0, lblGame;
    std::array<std::unique_ptr<Label>, 2> lblSpeed, lblLines, lblScore;
    Label Label1, Label2, Label3;

    // Dialogs, created on first use.
    std::unique_ptr<DuelResult> TheDuelResult;
    std::unique_ptr<Custom> TheCustom;
    std::unique_ptr<About> TheAbout;

    // True once the program has ended (Exit or the window closed): no
    // event is handled after that.
    bool Ended = false;
    // The last failure to save the records, for the front end and tests.
    std::string LastScoreFileError;

    // Every label and surface of the window, in creation order.
    std::vector<const Label*> labels() const;
    std::vector<Surface*> surfaces();

    const Services& services() const { return services_; }
    // How many of the window's dialogs are open now.
    int OpenDialogs() const { return dialogs_.open(); }
    // Whether one of the window's handlers is running (a dialog of its open).
    bool InHandler() const { return handlerDepth_ > 0; }
    // Who else is told of the message and results windows (network play).
    void setDialogWatcher(DialogWatcher* watcher) { dialogs_.setWatcher(watcher); }

    // Window geometry, twips: the outer size less the frame and the menu bar
    // gives the client area.
    static constexpr int kFrameWidth = 90;
    static constexpr int kFrameHeight = 660;

private:
    friend class TessarinTestAccess;

    // Every event handler runs inside one. The window may be closed from a
    // dialog opened inside a handler: the program ends at once, but the
    // mode's objects are released only when the outermost handler has
    // returned, so that nothing on the way out touches a released object.
    class HandlerScope {
    public:
        explicit HandlerScope(Tessarin& window) : window_(window) { ++window_.handlerDepth_; }
        ~HandlerScope();
        HandlerScope(const HandlerScope&) = delete;
        HandlerScope& operator=(const HandlerScope&) = delete;

    private:
        Tessarin& window_;
    };
    int handlerDepth_ = 0;
    bool releasePending_ = false;

    // Main loop: the fall tick of each mode, and the hand-over they share.
    void StandardFallTick();
    void DuelFallTick(int16_t Index);
    void CooperationFallTick(int16_t Index);
    void HandOver(int16_t Index);
    void MakePreview(int16_t Index);
    static int16_t PreviewRow(int16_t shape, int16_t direction);
    void InitShapeInfo();
    void ShowCounters();

    // Modes and layout
    void modeCommand(int16_t newMode);
    void SetupStandard();
    void SetupDuel();
    void SetupCooperation();
    void askNames(bool twoPlayers);
    void takeDownMode();
    void releaseModeObjects();
    void sizeWindow(int width, int height);
    void centreWindow();
    void loadElement1(bool canvasAndLabels);
    void showSurfaces();
    void createObjects(int16_t newMode);
    void placeLabels(int valueLeft, int edge);

    // Score file
    void ReadScoreFile();
    void WriteScoreFile();
    void CreateScoreFile();

    // Menus
    MenuItem& mnu(const std::string& name, int index = -1);
    void setEnabled(const std::string& name, bool on);

    int playerCount() const;
    std::string counterText(int value) const;

    // Player 2's seat
    bool computerMayPlay() const;
    void syncComputer();
    void syncSeatMenu();
    // Where the game stands, for the menus: every item whose state follows
    // it and the mode is set from one table (driver/MenuCommands.cpp).
    enum class MenuPhase { NoMode, BetweenGames, Playing };
    void applyMenuPhase(MenuPhase phase, int16_t mode);
    void useTool(SquareSet& tool, SquareSet* partner, bool liftPartner);
    // A different player 2 plays a different duel series: the tally starts
    // again, as at the program's start, with the next duel (until then it
    // still shows the series played).
    void newDuelSeries() { ++player2Changes_; }
    void startDuelSeriesIfPlayer2Changed();

    Services services_;
    // What the window's dialogs go through.
    CountingDialogs dialogs_;
    // Player 2's name as the person at the keyboard gave it, while the
    // computer has the seat.
    std::string keyboardPlayer2Name_ = "Player2";
    // The computer's time: the ms its timer has run.
    int64_t computerClock_ = 0;
    // Whether the seat may change now: between games.
    bool seatChoosable_ = true;
    // How often player 2's seat has changed hands, and how often it had
    // when the duel series in the tally began.
    int player2Changes_ = 0;
    int seriesPlayer2_ = 0;
};

} // namespace tessarin
