#include "bot/Bot.h"

#include "driver/PlayerViews.h"
#include "platform/VirtualKeys.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace tessarin::bot {

namespace {
constexpr int64_t kNever = std::numeric_limits<int64_t>::max();
} // namespace

// ---- BotDialogs

template <class Form, class F>
void BotDialogs::open(const std::string& window, Form& form, F&& close) {
    if (ended_) {
        form.TheWindow.Visible = false;
        return;
    }
    ++depth_;
    open_.push_back(window);
    if (whileOpen)
        whileOpen();
    if (ended_)
        form.TheWindow.Visible = false; // taken away by the program's end
    else
        close();
    open_.pop_back();
    --depth_;
}

void BotDialogs::ShowModal(InputForm& form) {
    ++counts.names;
    open("name", form, [&] {
        if (names.empty() || random_.chance(cancelNameChance)) {
            form.cmdCancel_Click();
            return;
        }
        form.Text1 = names[nextName_++ % names.size()];
        form.cmdOk_Click();
    });
}

void BotDialogs::ShowModal(MessageForm& form) {
    ++counts.messages;
    lastMessage = form.Label1.Caption;
    open("message", form, [&] { form.Form_KeyDown(vk::Return, 0); });
}

void BotDialogs::ShowModal(Custom& form) {
    ++counts.customs;
    open("control keys", form, [&] {
        if (customOk) {
            if (customSpeedMode >= 0)
                form.Option1_Click(static_cast<int16_t>(customSpeedMode));
            if (customRotateMode >= 0)
                form.Option2_Click(static_cast<int16_t>(customRotateMode));
            form.Command1_Click(0);
        }
        if (form.TheWindow.Visible)
            form.Command1_Click(1);
    });
}

void BotDialogs::ShowModal(DuelResult& form) {
    ++counts.records;
    open(form.TheWindow.Caption == "Duel Result" ? "duel results" : "records", form,
         [&] { form.Command1_Click(); });
}

void BotDialogs::ShowModal(About& form) {
    ++counts.abouts;
    open("about", form, [&] { form.cmdOk_Click(); });
}

void BotDialogs::SystemMessage(const std::string& text, const std::string&) {
    ++counts.systemMessages;
    lastSystemMessage = text;
    struct NoForm {
        Window TheWindow;
    } box;
    open("system message", box, [] {});
}

bool BotDialogs::StartProgram(const std::string&) {
    ++counts.programsStarted;
    return false; // no help viewer here: the game's own help opens
}

void BotDialogs::ShowHelp() {
    ++counts.helps;
}

void BotDialogs::EndProgram() {
    ++counts.endPrograms;
    ended_ = true;
}

// ---- BotGame

double BotGame::VirtualClock::secondsSinceMidnight() {
    return std::fmod(start_ + static_cast<double>(timers_.now()) / 1000.0, 86400.0);
}

BotGame::BotGame(BotOptions options)
    : options_(std::move(options)), gameRandom_(DefaultRandom::kStartState ^ options_.seed),
      clock_(timers_, options_.clockStart), dialogs_(options_.seed * 3 + 1),
      random_(options_.seed * 7 + 5) {
    folder_ = options_.workingFolder;
    if (folder_.empty()) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tessarin-bot-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("no temporary folder for the bot");
        folder_ = pattern;
        ownFolder_ = true;
    }
    game_ = std::make_unique<Tessarin>(
        Services{timers_, sound_, gameRandom_, clock_, dialogs_, ScreenSize{}, folder_});
    wrapTimers();
    dialogs_.whileOpen = [this] { dialogOpen(); };
    game_->Form_Load();
    after(Event::Kind::Load, "Form_Load", -1);
}

BotGame::~BotGame() {
    game_.reset();
    if (ownFolder_) {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
}

// Every tick goes through the bot, so that it sees each one.
void BotGame::wrapTimers() {
    Tessarin& g = *game_;
    for (int i = 0; i < 2; ++i) {
        g.tmrMain[i]->setHandler([this](int16_t index) {
            before(Event::Kind::Timer, "tmrMain", index);
            game_->tmrMain_Timer(index);
            after(Event::Kind::Timer, "tmrMain", index);
        });
        g.tmrDelete[i]->setHandler([this](int16_t index) {
            before(Event::Kind::Timer, "tmrDelete", index);
            game_->tmrDelete_Timer(index);
            after(Event::Kind::Timer, "tmrDelete", index);
        });
        g.tmrBlink[i]->setHandler([this](int16_t index) {
            before(Event::Kind::Timer, "tmrBlink", index);
            game_->tmrBlink_Timer(index);
            after(Event::Kind::Timer, "tmrBlink", index);
        });
        g.tmrPreBlink[i]->setHandler([this](int16_t index) {
            before(Event::Kind::Timer, "tmrPreBlink", index);
            game_->tmrPreBlink_Timer(index);
            after(Event::Kind::Timer, "tmrPreBlink", index);
        });
    }
    g.tmrGameOver->setHandler([this](int16_t) {
        before(Event::Kind::Timer, "tmrGameOver", 0);
        game_->tmrGameOver_Timer();
        after(Event::Kind::Timer, "tmrGameOver", 0);
    });
    g.tmrComputer->setHandler([this](int16_t) {
        game_->tmrComputer_Timer();
        after(Event::Kind::Timer, "tmrComputer", 1);
    });
}

void BotGame::dialogOpen() {
    if (closeFromWindow_ && closeFromWindow_(dialogs_.openWindow())) {
        close();
        return;
    }
    // Timers keep running under a modal window; its nested events go
    // through the same hook. Dialogs opened inside those events let time
    // pass too, but not without end.
    if (options_.dialogOpenMs > 0 && dialogs_.openDepth() <= 2)
        timers_.advance(options_.dialogOpenMs);
}

bool BotGame::atKeyboard(int player) const {
    return player == 0 || game_->Player2Seat.takesKeyboard();
}

int BotGame::players() const {
    const int16_t mode = game_->Mode;
    return mode == Tessarin::kStandard ? 1 : (mode == Tessarin::kNoMode ? 0 : 2);
}

bool BotGame::running() const {
    return !game_->Ended && (game_->Playing || game_->tmrGameOver->Enabled());
}

void BotGame::click(const std::string& name, int index) {
    stopping_ = name == "mnuStop";
    before(Event::Kind::Click, name.c_str(), index);
    game_->Click(name, index);
    after(Event::Kind::Click, name.c_str(), index);
    stopping_ = false;
}

void BotGame::key(int16_t code) {
    before(Event::Kind::Key, "key", code);
    game_->Keyboard_KeyDown(code, 0);
    after(Event::Kind::Key, "key", code);
}

void BotGame::close() {
    before(Event::Kind::Close, "Form_Unload", -1);
    game_->Form_Unload();
    after(Event::Kind::Close, "Form_Unload", -1);
}

void BotGame::before(Event::Kind kind, const char* name, int index) {
    if (beforeHook_)
        beforeHook_(Event{kind, name, index, dialogs_.openDepth()});
}

void BotGame::after(Event::Kind kind, const char* name, int index) {
    ++totals_.events;
    const std::string n(name);
    observe(kind, n);
    if (hook_)
        hook_(Event{kind, n, index, dialogs_.openDepth()});
}

void BotGame::observe(Event::Kind kind, const std::string& name) {
    Tessarin& g = *game_;
    const bool playing = g.Playing && !g.Ended;
    if (wasPlaying_ && !playing)
        ++(stopping_ ? totals_.stops : totals_.gameOvers);
    wasPlaying_ = playing;

    for (int f = 0; f < 2; ++f) {
        const Canvas* c = g.Fields[f].get();
        if (c != fieldSeen_[f] || !c) {
            fieldSeen_[f] = c;
            linesSeen_[f] = c ? c->Lines() : 0;
            continue;
        }
        const int d = c->Lines() - linesSeen_[f];
        if (d > 0) {
            ++totals_.clears;
            totals_.lines += d;
            if (g.Mode == Tessarin::kDuel && kind == Event::Kind::Timer && name == "tmrDelete" &&
                d >= 2)
                totals_.deliveredRows += d;
        }
        linesSeen_[f] = c->Lines();
    }

    for (int p = 0; p < 2; ++p) {
        PlayerState& st = players_[static_cast<size_t>(p)];
        const SquareSet* s = p < players() ? g.Squares[p].get() : nullptr;
        if (s != st.piece || !s) {
            st.piece = s;
            st.shape = s ? s->Shape() : -1;
            if (st.computer)
                st.computer->reset();
            continue;
        }
        const Strategy strategy = options_.strategy[static_cast<size_t>(p)];
        const bool steers = strategy == Strategy::Greedy || strategy == Strategy::Computer;
        if (s->Shape() != st.shape) {
            st.shape = s->Shape();
            if (playing) {
                newPiece(p);
                // A player sees the new piece come in.
                if (steers)
                    st.nextAction = std::min(st.nextAction, now());
            }
        }
        if (strategy == Strategy::Random && playing && st.nextAction == kNever)
            st.nextAction = now() + 1 + random_.below(std::max(1, 2 * options_.randomGapMs));
        if (steers && playing && st.nextAction == kNever)
            st.nextAction = now();
        if (!playing) {
            st.nextAction = kNever;
            if (st.computer)
                st.computer->reset();
        }
    }
}

void BotGame::newPiece(int p) {
    Tessarin& g = *game_;
    const SquareSet& s = *g.Squares[p];
    ++totals_.pieces;
    ++gamePieces_;
    totals_.sinkingSquares += s.IsSinkingSquare() ? 1 : 0;
    totals_.takeTools += s.IsTakeTool() ? 1 : 0;
    totals_.addTools += s.IsAddTool() ? 1 : 0;
}

void BotGame::step(int64_t ms) {
    const int64_t end = now() + ms;
    while (!game_->Ended) {
        const int64_t untilTick = timers_.untilNext();
        const int64_t tickAt = untilTick < 0 ? kNever : now() + untilTick;
        int64_t actAt = kNever;
        int who = -1;
        if (game_->Playing) {
            for (int p = 0; p < players(); ++p) {
                const PlayerState& st = players_[static_cast<size_t>(p)];
                if (options_.strategy[static_cast<size_t>(p)] != Strategy::None && atKeyboard(p) &&
                    st.nextAction < actAt) {
                    actAt = std::max(st.nextAction, now());
                    who = p;
                }
            }
        }
        if (std::min(tickAt, actAt) > end)
            break;
        if (tickAt <= actAt) {
            timers_.step(end - now());
        } else {
            timers_.advance(actAt - now());
            act(who);
        }
    }
    if (end > now())
        timers_.advance(end - now());
}

void BotGame::act(int p) {
    PlayerState& st = players_[static_cast<size_t>(p)];
    switch (options_.strategy[static_cast<size_t>(p)]) {
    case Strategy::Greedy:
    case Strategy::Computer:
        actComputer(p);
        break;
    case Strategy::Random:
        st.nextAction = kNever;
        actRandom(p);
        break;
    case Strategy::None:
        st.nextAction = kNever;
        break;
    }
}

const Placement& BotGame::plan(int player) const {
    static const Placement none;
    const PlayerState& st = players_[static_cast<size_t>(player & 1)];
    return st.computer ? st.computer->plan() : none;
}

// The greedy bot is the computer player at the bot's own pace, with its
// slips anywhere on the field.
PlayStyle BotGame::styleOf(int p) const {
    if (options_.strategy[static_cast<size_t>(p)] == Strategy::Computer)
        return PlayStyle::Of(options_.strength[static_cast<size_t>(p)]);
    PlayStyle style;
    style.reactionMs = options_.reactionMs;
    style.keyGapMs = options_.keyGapMs > 0 ? options_.keyGapMs : options_.reactionMs;
    style.mistakeChance = options_.mistakeChance;
    style.mistakeSpread = 0;
    style.pollMs = std::max(options_.reactionMs, 100);
    return style;
}

// One key of the computer player's, pressed as a person presses it.
void BotGame::actComputer(int p) {
    Tessarin& g = *game_;
    PlayerState& st = players_[static_cast<size_t>(p)];
    if (!g.Playing) {
        st.nextAction = kNever;
        return;
    }
    const PlayStyle style = styleOf(p);
    if (!st.computer || !(st.computer->style() == style))
        st.computer = std::make_unique<ComputerPlayer>(style, options_.seed * 11 + 3 + p);
    const Decision d = st.computer->decide(ViewOf(g, p), now());
    st.nextAction = std::max(d.nextAt, now() + 1);
    const SquareSet* s = g.Squares[p].get();
    if (d.action == KeyAction::Rotate && s && s->IsTool())
        ++totals_.toolPresses;
    if (d.action != KeyAction::None)
        key(KeyFor(g.Controls.Keys[static_cast<size_t>(p)], d.action));
}

void BotGame::actRandom(int p) {
    Tessarin& g = *game_;
    PlayerState& st = players_[static_cast<size_t>(p)];
    const PlayerKeys& own = g.Controls.Keys[static_cast<size_t>(p)];
    const PlayerKeys& other = g.Controls.Keys[static_cast<size_t>((p + 1) % 2)];
    const int r = random_.below(100);
    int16_t code;
    if (r < 28)
        code = own.Left;
    else if (r < 56)
        code = own.Right;
    else if (r < 78)
        code = own.Rotate;
    else if (r < 90)
        code = own.Down;
    else if (r < 95) {
        const int16_t k[4] = {other.Left, other.Right, other.Rotate, other.Down};
        code = k[random_.below(4)];
    } else {
        // A key that is nobody's control key.
        const int16_t k[5] = {vk::F2, vk::Return, vk::Escape, vk::letter('Q'), vk::Space};
        code = k[random_.below(5)];
    }
    key(code);
    if (g.Playing)
        st.nextAction = now() + 1 + random_.below(std::max(1, 2 * options_.randomGapMs));
}

void BotGame::chooseMode(int16_t mode) {
    switch (mode) {
    case Tessarin::kStandard:
        click("mnuOnePlayer");
        break;
    case Tessarin::kDuel:
        click("mnuDuel");
        break;
    case Tessarin::kCooperation:
        click("mnuCooperation");
        break;
    default:
        break;
    }
}

GameResult BotGame::playGame(const GameSetup& setup) {
    GameResult r;
    Tessarin& g = *game_;
    if (g.Ended || running())
        return r;
    if (g.Mode != setup.mode)
        chooseMode(setup.mode);
    if (setup.seat >= 0 && setup.seat != g.Player2Seat.kind)
        click("mnuSeat", setup.seat);
    if (setup.gameB != (g.GameType == "B"))
        click(setup.gameB ? "mnuGameB" : "mnuGameA");
    if (g.Level != setup.level)
        click("mnuLevel", setup.level);
    if (g.Speed != setup.speed)
        click("mnuSpeed", setup.speed);

    const int64_t start = now();
    const int64_t piecesBefore = gamePieces_;
    const int64_t stopsBefore = totals_.stops;
    click("mnuNewGame");
    bool stopSent = false;
    while (running()) {
        step(100);
        const bool tooLong = setup.maxMs > 0 && now() - start >= setup.maxMs;
        const bool enough = setup.maxPieces > 0 && gamePieces_ - piecesBefore >= setup.maxPieces;
        if (!stopSent && g.Playing && (tooLong || enough)) {
            click("mnuStop");
            stopSent = true;
        }
    }
    r.stopped = totals_.stops > stopsBefore;
    r.ms = now() - start;
    r.pieces = gamePieces_ - piecesBefore;
    for (int f = 0; f < 2; ++f)
        if (g.Fields[f]) {
            r.score[static_cast<size_t>(f)] = g.Fields[f]->Score();
            r.lines[static_cast<size_t>(f)] = g.Fields[f]->Lines();
        }
    r.winner = g.Winner;
    return r;
}

} // namespace tessarin::bot
