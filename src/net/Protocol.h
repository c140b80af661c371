#pragma once

// The messages between a hosting and a joining program, their framing, and
// a streaming decoder that checks everything that arrives.
//
// A frame is a 6-byte header and a payload:
//   bytes 0-1  magic "TN"
//   byte  2    protocol version
//   byte  3    message type
//   bytes 4-5  payload length, big-endian, within the type's limit
// The magic and the version keep their place in every version of the
// protocol, so that programs of two versions can tell each other so.

#include "game/PlayerKeys.h"
#include "net/View.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tessarin::net {

// Version 3 runs inside TLS 1.3 (the messages are those of version 2).
constexpr uint8_t kProtocolVersion = 3;
constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kMaxPayload = 16384;
constexpr std::size_t kJoinCodeLength = 6;

// An Action message carries one of player 2's keys as a KeyAction.
using tessarin::KeyAction;

enum class MessageType : uint8_t {
    Hello = 1,
    Welcome,
    Refused,
    Action,
    View,
    Heartbeat,
    Bye,
    Shown
};
enum class RefusedReason : uint8_t { WrongCode = 1, Busy, VersionMismatch, TryLater };
enum class ByeReason : uint8_t { Leaving = 1, BadMessage, Silent };

// Joiner to host, first message: the join code and the joiner's name.
struct Hello {
    std::string Code;
    std::string Name;
    bool operator==(const Hello&) const = default;
};
// Host to joiner: the joiner is player 2 of this mode (Tessarin::kDuel or
// kCooperation) under these names.
struct Welcome {
    int16_t Mode = 0;
    std::string HostName;
    std::string JoinerName;
    bool operator==(const Welcome&) const = default;
};
struct Refused {
    RefusedReason Reason = RefusedReason::WrongCode;
    bool operator==(const Refused&) const = default;
};
// Joiner to host: one of player 2's actions, numbered.
struct Action {
    KeyAction Kind = KeyAction::Left;
    uint16_t Seq = 0;
    bool operator==(const Action&) const = default;
};
struct Heartbeat {
    bool operator==(const Heartbeat&) const = default;
};
struct Bye {
    ByeReason Reason = ByeReason::Leaving;
    bool operator==(const Bye&) const = default;
};
// A View message carries a ViewDelta, a Shown message a Shown window.
using Message = std::variant<Hello, Welcome, Refused, Action, ViewDelta, Heartbeat, Bye, Shown>;

MessageType TypeOf(const Message& m);
// The largest payload a message type may have.
std::size_t MaxPayload(MessageType type);

// The frame of a message. Texts are fitted to what the wire carries; other
// values must lie in their ranges (as every decoded or captured one does).
std::string Encode(const Message& m);

struct DecodeError {
    enum class Kind { None, NotOurs, VersionMismatch, UnknownType, TooLong, BadField };
    Kind kind = Kind::None;
    int peerVersion = 0; // the version the other program speaks, for VersionMismatch
    std::string detail;  // the field or value at fault
    std::string text() const;
};

// Takes bytes as they arrive, in any pieces, and hands out whole messages.
// The first fault stops it for good: the connection is to be closed.
class Decoder {
public:
    void feed(std::string_view bytes);
    // The next whole message, or nothing when more bytes are needed or the
    // stream is at fault (then failed() is true).
    std::optional<Message> next();
    bool failed() const { return error_.kind != DecodeError::Kind::None; }
    const DecodeError& error() const { return error_; }
    std::size_t buffered() const { return buffer_.size() - at_; }

private:
    void fail(DecodeError::Kind kind, std::string detail, int peerVersion = 0);
    std::string buffer_;
    std::size_t at_ = 0;
    DecodeError error_;
};

// Join codes: six characters from 32 letters and digits that cannot be
// taken for one another (no I, O, 0 or 1), drawn from the system's source
// of randomness, never from the game's.
std::string NewJoinCode();
bool IsJoinCode(std::string_view code);
// A code as typed: letters in upper case, spaces and dashes dropped.
std::string NormalizeJoinCode(std::string_view typed);

} // namespace tessarin::net
