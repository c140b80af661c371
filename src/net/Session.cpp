#include "net/Session.h"

#include "net/Text.h"

#include <algorithm>

namespace tessarin::net {

// A connection and its decoder. Messages go to the owner one by one; the
// owner may close or destroy the channel inside any of them.
class Channel final : public Link::Events {
public:
    Channel(std::unique_ptr<Link> link, ChannelOwner* owner)
        : link_(std::move(link)), owner_(owner) {
        link_->setEvents(this);
    }
    ~Channel() {
        *alive_ = false;
        link_->setEvents(nullptr);
    }
    void send(const std::string& frame) {
        if (!closed_)
            link_->send(frame);
    }
    bool open() const { return !closed_; }
    // The connection changes hands (a caller who gave the right code joins).
    void setOwner(ChannelOwner* owner) { owner_ = owner; }
    void close() {
        if (closed_)
            return;
        closed_ = true;
        link_->setEvents(nullptr);
        link_->close();
    }

    void linkConnected() override {
        if (!closed_)
            owner_->channelConnected();
    }
    void linkReceived(std::string_view bytes) override {
        const std::shared_ptr<bool> alive = alive_;
        decoder_.feed(bytes);
        while (std::optional<Message> m = decoder_.next()) {
            owner_->channelMessage(*m);
            if (!*alive || closed_)
                return;
        }
        if (decoder_.failed())
            owner_->channelFault(decoder_.error());
    }
    void linkClosed() override {
        if (!closed_) {
            closed_ = true;
            owner_->channelClosed();
        }
    }
    void linkAsking() override {
        if (!closed_)
            owner_->channelAsking();
    }
    void linkFailed(LinkFailure failure) override {
        if (!closed_) {
            closed_ = true;
            owner_->channelFailed(failure);
        }
    }

private:
    std::unique_ptr<Link> link_;
    ChannelOwner* owner_;
    Decoder decoder_;
    bool closed_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

namespace {

// How long silence is borne, as the messages say it.
std::string silenceText() {
    return std::to_string(kSilenceMs / 1000) + " seconds";
}

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

std::unique_ptr<Timer> makeTimer(TimerHost& host, int ms, std::function<void()> f) {
    auto t = std::make_unique<Timer>(host, 0, ms);
    t->setHandler([f = std::move(f)](int16_t) { f(); });
    return t;
}

} // namespace

// ---- Host ------------------------------------------------------------------

// A connection that has still to give the join code: it has ten seconds.
class HostSession::Candidate final : public ChannelOwner {
public:
    Candidate(HostSession& host, std::unique_ptr<Link> link, std::string from)
        : host_(host), from_(std::move(from)),
          channel_(std::make_unique<Channel>(std::move(link), this)),
          deadline_(makeTimer(host.timers_, kSilenceMs, [this] {
              host_.turnAway(*this, std::nullopt,
                             "A connection said nothing for " + silenceText() + " and was closed.");
          })) {
        deadline_->setEnabled(true);
    }
    void channelMessage(const Message& m) override { host_.candidateMessage(*this, m); }
    void channelFault(const DecodeError& e) override { host_.candidateFault(*this, e); }
    void channelClosed() override {
        host_.turnAway(*this, std::nullopt, "A connection closed before it asked to join.");
    }
    // Encrypted: a joiner who typed the address has its player compare the
    // host's key before it says Hello.
    void channelConnected() override { deadline_->setInterval(kKeyCheckMs); }
    void channelFailed(LinkFailure failure) override {
        if (failure != LinkFailure::OlderPeer)
            return channelClosed();
        host_.turnAway(*this, std::nullopt,
                       "An older version of Tessarin tried to join, without encryption, and was "
                       "told so. Both players need the same version of Tessarin.");
    }

    const std::string& from() const { return from_; }
    Channel& channel() { return *channel_; }
    // The connection, for the one who joins.
    std::unique_ptr<Channel> takeChannel() { return std::move(channel_); }

private:
    HostSession& host_;
    std::string from_;
    std::unique_ptr<Channel> channel_;
    std::unique_ptr<Timer> deadline_;
};

HostSession::HostSession(TimerHost& timers, int16_t mode, std::string joinCode, Events events)
    : timers_(timers), mode_(mode), code_(std::move(joinCode)), events_(std::move(events)) {
    heartbeat_ = makeTimer(timers, kHeartbeatMs, [this] { heartbeat(); });
    deadline_ = makeTimer(timers, kSilenceMs, [this] { silent(); });
}

HostSession::~HostSession() {
    stop();
}

int HostSession::retryDelayMs(const std::string& from) const {
    const auto it = callers_.find(from);
    if (it == callers_.end())
        return 0;
    return static_cast<int>(std::max<int64_t>(0, it->second.lockedUntil - timers_.now()));
}

void HostSession::send(const Message& m) {
    if (!peer_)
        return;
    const std::string frame = Encode(m);
    bytesSent_ += frame.size();
    peer_->send(frame);
}

// Said once, and the connection closes.
void HostSession::refuse(std::unique_ptr<Link> link, RefusedReason reason) {
    Channel refused(std::move(link), static_cast<ChannelOwner*>(this));
    const std::string frame = Encode(Refused{reason});
    bytesSent_ += frame.size();
    refused.send(frame);
    refused.close();
}

// Every caller gets in to try at once, unless its own earlier tries failed:
// then it waits its turn. A wrong guess from one address never keeps
// another caller out; a few callers may try at the same time, one
// connection each.
void HostSession::accept(std::unique_ptr<Link> link, const std::string& from) {
    if (!link)
        return;
    if (state_ != State::Waiting)
        return refuse(std::move(link), RefusedReason::Busy);
    const bool tryingAlready =
        std::any_of(candidates_.begin(), candidates_.end(),
                    [&](const std::unique_ptr<Candidate>& c) { return c->from() == from; });
    if (retryDelayMs(from) > 0 || tryingAlready ||
        candidates_.size() >= static_cast<std::size_t>(kCheckingSlots))
        return refuse(std::move(link), RefusedReason::TryLater);
    candidates_.push_back(std::make_unique<Candidate>(*this, std::move(link), from));
}

void HostSession::welcome(const std::string& hostName) {
    if (state_ != State::NameExchange)
        return;
    const std::string name = FitName(hostName);
    send(Welcome{mode_, name.empty() ? "Player1" : name, joinerName_});
    state_ = State::Playing;
    sent_.reset();
}

void HostSession::sendView(const ViewState& view) {
    if (state_ != State::Playing)
        return;
    std::optional<ViewDelta> delta = sent_ ? Diff(*sent_, view) : FullView(view);
    if (!delta) {
        // An action that changed nothing (a piece against the wall) is
        // still acknowledged at once.
        if (lastSeq_ == ackSent_)
            return;
        delta = Unchanged(view);
    }
    delta->Ack = lastSeq_;
    send(*delta);
    ackSent_ = lastSeq_;
    sent_ = view;
}

void HostSession::sendShown(const Shown& shown) {
    if (state_ == State::Playing)
        send(shown);
}

void HostSession::stop() {
    if (state_ != State::Ended)
        end(joined() ? std::optional(ByeReason::Leaving) : std::nullopt);
}

// Hosting is over: the joiner hears why, if given, and the connection closes.
void HostSession::end(std::optional<ByeReason> bye) {
    if (bye)
        send(Bye{*bye});
    if (peer_)
        peer_->close();
    peer_.reset();
    for (auto& c : candidates_)
        c->channel().close();
    candidates_.clear();
    state_ = State::Ended;
    heartbeat_->setEnabled(false);
    deadline_->setEnabled(false);
}

void HostSession::heartbeat() {
    actionsThisSecond_ = 0;
    if (joined())
        send(Heartbeat{});
}

void HostSession::candidateMessage(Candidate& c, const Message& m) {
    const Hello* hello = std::get_if<Hello>(&m);
    if (!hello)
        return turnAway(c, std::nullopt,
                        "A connection sent something other than a request to join and was "
                        "closed.");
    if (hello->Code != code_)
        return turnAway(c, RefusedReason::WrongCode,
                        "Someone tried to join with a wrong join code and was turned away.");
    // In: the others still trying are told the seat is taken.
    callers_.erase(c.from());
    peer_ = c.takeChannel();
    peer_->setOwner(this);
    for (auto& other : candidates_)
        if (other.get() != &c && other->channel().open()) {
            other->channel().send(Encode(Refused{RefusedReason::Busy}));
            other->channel().close();
        }
    candidates_.clear(); // c with them
    state_ = State::NameExchange;
    lastHeard_ = timers_.now();
    joinerName_ = hello->Name;
    lastSeq_ = 0;
    ackSent_ = 0;
    deadline_->setEnabled(true);
    deadline_->setInterval(kSilenceMs);
    heartbeat_->setEnabled(true);
    heartbeat_->setInterval(kHeartbeatMs);
    send(Heartbeat{});
    if (events_.joined)
        events_.joined(joinerName_);
}

void HostSession::candidateFault(Candidate& c, const DecodeError& e) {
    if (e.kind == DecodeError::Kind::VersionMismatch)
        turnAway(c, RefusedReason::VersionMismatch,
                 "A program of another version tried to join: " + e.text() +
                     ". Both players need the same version of Tessarin.");
    else
        turnAway(c, std::nullopt,
                 "A connection sent a message that is not allowed (" + e.text() +
                     ") and was closed.");
}

void HostSession::channelMessage(const Message& m) {
    if (!joined())
        return;
    deadline_->setInterval(kSilenceMs); // heard from the joiner: the silence counts anew
    lastHeard_ = timers_.now();
    if (std::holds_alternative<Heartbeat>(m))
        return;
    if (std::holds_alternative<Bye>(m)) {
        joinerLeft(LeftReason::Leaving, std::nullopt, {});
    } else if (const Action* a = std::get_if<Action>(&m); a && state_ == State::Playing) {
        lastSeq_ = a->Seq;
        if (++actionsThisSecond_ <= kMaxActionsPerSecond && events_.action)
            events_.action(a->Kind);
    } else {
        violation("a message out of place (type " + std::to_string(int(TypeOf(m))) + ")");
    }
}

void HostSession::channelFault(const DecodeError& e) {
    if (joined())
        violation(e.text());
}

void HostSession::channelClosed() {
    if (joined())
        joinerLeft(LeftReason::Disconnected, std::nullopt, {});
}

void HostSession::silent() {
    if (joined())
        joinerLeft(LeftReason::Silent, ByeReason::Silent, {});
}

void HostSession::violation(const std::string& what) {
    joinerLeft(LeftReason::BadMessage, ByeReason::BadMessage, what);
}

// A connection that has not joined is closed, and its caller's next try
// must wait: one second after its first failure, doubling with each
// further one. The code stays as it is.
void HostSession::turnAway(Candidate& c, std::optional<RefusedReason> reply,
                           const std::string& text) {
    if (reply)
        c.channel().send(Encode(Refused{*reply}));
    c.channel().close();
    if (callers_.size() >= kMaxCallers && !callers_.count(c.from())) {
        // The one whose wait ends first is forgotten.
        auto oldest = std::min_element(callers_.begin(), callers_.end(), [](auto& x, auto& y) {
            return x.second.lockedUntil < y.second.lockedUntil;
        });
        callers_.erase(oldest);
    }
    Caller& caller = callers_[c.from()];
    caller.failures = std::min(caller.failures + 1, 30);
    const int delay =
        std::min(kFirstRetryDelayMs << std::min(caller.failures - 1, 16), kLastRetryDelayMs);
    caller.lockedUntil = timers_.now() + delay;
    // Last: the candidate goes, and with it the call that brought us here
    // returns through its channel, which is kept alive till then.
    std::unique_ptr<Candidate> gone;
    for (auto& p : candidates_)
        if (p.get() == &c)
            gone = std::move(p);
    std::erase(candidates_, nullptr);
    if (events_.notice)
        events_.notice(text);
}

void HostSession::joinerLeft(LeftReason reason, std::optional<ByeReason> bye,
                             const std::string& detail) {
    end(bye);
    std::string text = quoted(joinerName_) + " (player 2) has left the game.";
    switch (reason) {
    case LeftReason::Leaving:
        break;
    case LeftReason::Disconnected:
        text += " The connection was lost.";
        break;
    case LeftReason::Silent:
        text += " Nothing was heard from the other program for " + silenceText() + ".";
        break;
    case LeftReason::BadMessage:
        text += " The other program sent a message that is not allowed (" + detail + ").";
        break;
    }
    if (events_.left)
        events_.left(reason, text);
}

// ---- Joiner ----------------------------------------------------------------

JoinSession::JoinSession(TimerHost& timers, std::unique_ptr<Link> link, std::string code,
                         std::string name, Events events)
    : code_(NormalizeJoinCode(code)), name_(FitName(name)), events_(std::move(events)) {
    if (name_.empty())
        name_ = "Player2";
    heartbeat_ = makeTimer(timers, kHeartbeatMs, [this] { send(Heartbeat{}); });
    deadline_ = makeTimer(timers, kSilenceMs, [this] { silent(); });
    deadline_->setEnabled(true);
    peer_ = std::make_unique<Channel>(std::move(link), static_cast<ChannelOwner*>(this));
}

JoinSession::~JoinSession() {
    leave();
}

void JoinSession::send(const Message& m) {
    if (peer_)
        peer_->send(Encode(m));
}

uint16_t JoinSession::sendAction(KeyAction action) {
    if (action == KeyAction::None || (state_ != State::Welcomed && state_ != State::Playing))
        return seq_;
    send(Action{action, ++seq_});
    return seq_;
}

void JoinSession::leave() {
    if (state_ == State::Ended)
        return;
    if (state_ != State::Connecting)
        send(Bye{ByeReason::Leaving});
    peer_->close();
    state_ = State::Ended;
    heartbeat_->setEnabled(false);
    deadline_->setEnabled(false);
}

void JoinSession::channelConnected() {
    if (state_ != State::Connecting)
        return;
    send(Hello{code_, name_});
    state_ = State::HelloSent;
    deadline_->setInterval(kSilenceMs);
    heartbeat_->setEnabled(true);
}

void JoinSession::channelMessage(const Message& m) {
    if (state_ == State::Ended || state_ == State::Connecting)
        return;
    deadline_->setInterval(kSilenceMs);
    if (std::holds_alternative<Heartbeat>(m))
        return;
    if (std::holds_alternative<Bye>(m))
        return end(EndReason::HostLeft, EndText(EndReason::HostLeft), std::nullopt);
    if (state_ == State::HelloSent) {
        if (const Welcome* w = std::get_if<Welcome>(&m)) {
            welcome_ = *w;
            state_ = State::Welcomed;
            if (events_.welcomed)
                events_.welcomed(welcome_);
            return;
        }
        if (const Refused* r = std::get_if<Refused>(&m)) {
            const EndReason reason = EndReasonOf(r->Reason);
            return end(reason, EndText(reason), std::nullopt);
        }
    } else if (const Shown* shown = std::get_if<Shown>(&m)) {
        if (events_.shown)
            events_.shown(*shown);
        return;
    } else if (const ViewDelta* d = std::get_if<ViewDelta>(&m)) {
        if (!Apply(view_, *d))
            return end(EndReason::BadMessage,
                       EndText(EndReason::BadMessage, "a view that does not fit"),
                       ByeReason::BadMessage);
        ack_ = d->Ack;
        state_ = State::Playing;
        if (events_.viewChanged)
            events_.viewChanged();
        return;
    }
    end(EndReason::BadMessage,
        EndText(EndReason::BadMessage,
                "a message out of place (type " + std::to_string(int(TypeOf(m))) + ")"),
        ByeReason::BadMessage);
}

void JoinSession::channelFault(const DecodeError& e) {
    if (state_ == State::Ended)
        return;
    if (e.kind == DecodeError::Kind::VersionMismatch)
        end(EndReason::VersionMismatch, EndText(EndReason::VersionMismatch, e.text()),
            std::nullopt);
    else
        end(EndReason::BadMessage, EndText(EndReason::BadMessage, e.text()), ByeReason::BadMessage);
}

void JoinSession::channelClosed() {
    if (state_ == State::Connecting)
        end(EndReason::CouldNotConnect, EndText(EndReason::CouldNotConnect), std::nullopt);
    else if (state_ != State::Ended)
        end(EndReason::Disconnected, EndText(EndReason::Disconnected), std::nullopt);
}

void JoinSession::channelAsking() {
    if (state_ == State::Connecting)
        deadline_->setInterval(kKeyCheckMs);
}

void JoinSession::channelFailed(LinkFailure failure) {
    if (state_ == State::Ended)
        return;
    EndReason reason = EndReason::OlderHost;
    switch (failure) {
    case LinkFailure::OlderPeer:
        break;
    case LinkFailure::WrongKey:
        reason = EndReason::WrongKey;
        break;
    case LinkFailure::KeyNotValid:
        reason = EndReason::KeyNotValid;
        break;
    case LinkFailure::Declined:
        reason = EndReason::Declined;
        break;
    }
    end(reason, EndText(reason), std::nullopt);
}

void JoinSession::silent() {
    if (state_ == State::Connecting)
        end(EndReason::CouldNotConnect, EndText(EndReason::CouldNotConnect), std::nullopt);
    else if (state_ != State::Ended)
        end(EndReason::HostSilent, EndText(EndReason::HostSilent), ByeReason::Silent);
}

void JoinSession::end(EndReason reason, const std::string& text, std::optional<ByeReason> bye) {
    if (bye)
        send(Bye{*bye});
    peer_->close();
    state_ = State::Ended;
    heartbeat_->setEnabled(false);
    deadline_->setEnabled(false);
    if (events_.ended)
        events_.ended(reason, text);
}

JoinSession::EndReason EndReasonOf(RefusedReason refused) {
    using R = JoinSession::EndReason;
    switch (refused) {
    case RefusedReason::WrongCode:
        return R::WrongCode;
    case RefusedReason::Busy:
        return R::Busy;
    case RefusedReason::VersionMismatch:
        return R::VersionMismatch;
    case RefusedReason::TryLater:
        return R::TryLater;
    }
    return R::BadMessage; // not reached: the decoder takes only the values above
}

std::string EndText(JoinSession::EndReason reason, const std::string& detail) {
    using R = JoinSession::EndReason;
    switch (reason) {
    case R::Left:
        return "You have left the game.";
    case R::CouldNotConnect:
        return "The host could not be reached. Check the address and the port, and that the "
               "host is waiting for you.";
    case R::WrongCode:
        return "The host turned the join code down. Check the code and try again.";
    case R::Busy:
        return "The host already has a second player.";
    case R::TryLater:
        return "The host is slowing down tries after a wrong join code. Wait a little and "
               "try again.";
    case R::VersionMismatch:
        return "The host runs another version of Tessarin" +
               (detail.empty() ? std::string() : " (" + detail + ")") +
               ". Both players need the same version.";
    case R::HostLeft:
        return "The host has left the game.";
    case R::HostSilent:
        return "Nothing was heard from the host for " + silenceText() +
               "; the connection was given up.";
    case R::Disconnected:
        return "The connection to the host was lost.";
    case R::BadMessage:
        return "The host sent a message this program cannot accept" +
               (detail.empty() ? std::string() : " (" + detail + ")") + ".";
    case R::OlderHost:
        return "The host's program is older than yours, or it is not a Tessarin game. Both "
               "players need the same version of Tessarin.";
    case R::WrongKey:
        return "This is not the game the link was made for: the host's key is different.";
    case R::KeyNotValid:
        return "The host's key is out of date, or one of the two computers has the wrong date. "
               "Check both clocks; the host makes a new key when it hosts again.";
    case R::Declined:
        return {}; // the player chose: nothing to tell them
    }
    return {};
}

} // namespace tessarin::net
