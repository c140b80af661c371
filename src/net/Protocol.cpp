#include "net/Protocol.h"

#include "net/Text.h"
#include "net/Wire.h"
#include "platform/CodePage1252.h"

#include <random>

namespace tessarin::net {

namespace {

constexpr char kMagic0 = 'T';
constexpr char kMagic1 = 'N';
constexpr std::string_view kCodeLetters = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";
// The game's mode codes a Welcome may carry.
constexpr int kCooperationMode = 1;
constexpr int kDuelMode = 2;

// The largest View payload: every label and surface given whole, each text
// at its longest, a run byte for every cell.
constexpr std::size_t kLargestLabel =
    (1 + kMaxIdentifier) + (1 + kMaxCaption) + 8 + 2 + 8 + (1 + kMaxIdentifier) + 2;
constexpr std::size_t kLargestSurface = 2 + 15 + 2 + kMaxColumns * kMaxRows;
constexpr std::size_t kLargestView = 3 + (1 + kMaxCaption + 5) + 2 +
                                     kMaxLabels * (1 + kLargestLabel) + 2 +
                                     kMaxSurfaces * kLargestSurface;
static_assert(kLargestView <= kMaxPayload, "a view must fit one frame");
constexpr std::size_t kLargestShown =
    1 + (1 + kMaxCaption + 4) + (1 + 2 * kMaxShownRows + kMaxShownCells) * kLargestLabel + 3;
static_assert(kLargestShown <= kMaxPayload, "a shown window must fit one frame");

bool isCodeByte(unsigned char b) {
    return kCodeLetters.find(static_cast<char>(b)) != std::string_view::npos;
}
bool isNameByte(unsigned char b) {
    return IsShownByte(b) && b != '/';
}

std::string readName(Reader& in, const char* field) {
    const std::string_view bytes = in.text(kMaxNameLength, isNameByte, field);
    if (in.ok() && (bytes.empty() || bytes.front() == ' ' || bytes.back() == ' '))
        in.fail(field);
    return FromCodePage1252(bytes);
}

void writeName(Writer& out, const std::string& name) {
    std::string fitted = FitName(name);
    out.text(ToCodePage1252(fitted.empty() ? "?" : fitted));
}

std::string payloadOf(const Message& m) {
    Writer out;
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, Hello>) {
                out.text(NormalizeJoinCode(v.Code).substr(0, kJoinCodeLength));
                writeName(out, v.Name);
            } else if constexpr (std::is_same_v<T, Welcome>) {
                out.u8(static_cast<unsigned>(v.Mode));
                writeName(out, v.HostName);
                writeName(out, v.JoinerName);
            } else if constexpr (std::is_same_v<T, Refused>) {
                out.u8(static_cast<unsigned>(v.Reason));
            } else if constexpr (std::is_same_v<T, Action>) {
                out.u8(static_cast<unsigned>(v.Kind));
                out.u16(v.Seq);
            } else if constexpr (std::is_same_v<T, ViewDelta>) {
                EncodeDelta(out, v);
            } else if constexpr (std::is_same_v<T, Bye>) {
                out.u8(static_cast<unsigned>(v.Reason));
            } else if constexpr (std::is_same_v<T, Shown>) {
                EncodeShown(out, v);
            }
        },
        m);
    return std::move(out.bytes());
}

Message readPayload(MessageType type, Reader& in) {
    switch (type) {
    case MessageType::Hello: {
        Hello h;
        h.Code = in.text(kJoinCodeLength, isCodeByte, "join code");
        if (in.ok() && h.Code.size() != kJoinCodeLength)
            in.fail("join code");
        h.Name = readName(in, "joiner's name");
        return h;
    }
    case MessageType::Welcome: {
        Welcome w;
        w.Mode = static_cast<int16_t>(in.u8(kCooperationMode, kDuelMode, "mode"));
        w.HostName = readName(in, "host's name");
        w.JoinerName = readName(in, "joiner's name");
        return w;
    }
    case MessageType::Refused:
        return Refused{static_cast<RefusedReason>(in.u8(1, 4, "refusal reason"))};
    case MessageType::Action: {
        Action a;
        a.Kind = static_cast<KeyAction>(in.u8(0, 3, "action"));
        a.Seq = static_cast<uint16_t>(in.u16(0, 0xFFFF, "action number"));
        return a;
    }
    case MessageType::View:
        return DecodeDelta(in);
    case MessageType::Heartbeat:
        return Heartbeat{};
    case MessageType::Bye:
        return Bye{static_cast<ByeReason>(in.u8(1, 3, "leaving reason"))};
    case MessageType::Shown:
        return DecodeShown(in);
    }
    return Heartbeat{};
}

} // namespace

MessageType TypeOf(const Message& m) {
    return static_cast<MessageType>(m.index() + 1);
}

std::size_t MaxPayload(MessageType type) {
    switch (type) {
    case MessageType::Hello:
        return 1 + kJoinCodeLength + 1 + kMaxNameLength;
    case MessageType::Welcome:
        return 1 + 2 * (1 + kMaxNameLength);
    case MessageType::Refused:
    case MessageType::Bye:
        return 1;
    case MessageType::Action:
        return 3;
    case MessageType::View:
    case MessageType::Shown:
        return kMaxPayload;
    case MessageType::Heartbeat:
        return 0;
    }
    return 0;
}

std::string Encode(const Message& m) {
    const std::string payload = payloadOf(m);
    std::string frame{kMagic0,
                      kMagic1,
                      static_cast<char>(kProtocolVersion),
                      static_cast<char>(TypeOf(m)),
                      static_cast<char>(payload.size() >> 8),
                      static_cast<char>(payload.size() & 0xFF)};
    return frame + payload;
}

std::string DecodeError::text() const {
    switch (kind) {
    case Kind::None:
        return {};
    case Kind::NotOurs:
        return "the other side does not speak the Tessarin network protocol";
    case Kind::VersionMismatch:
        return "the other side speaks version " + std::to_string(peerVersion) +
               " of the network protocol, this program version " + std::to_string(kProtocolVersion);
    case Kind::UnknownType:
        return "unknown message type " + detail;
    case Kind::TooLong:
        return "message too long (" + detail + ")";
    case Kind::BadField:
        return "field out of range: " + detail;
    }
    return {};
}

void Decoder::fail(DecodeError::Kind kind, std::string detail, int peerVersion) {
    error_ = {kind, peerVersion, std::move(detail)};
    buffer_.clear();
    at_ = 0;
}

void Decoder::feed(std::string_view bytes) {
    if (failed())
        return;
    if (at_ > 0 && at_ == buffer_.size()) {
        buffer_.clear();
        at_ = 0;
    }
    buffer_.append(bytes);
}

std::optional<Message> Decoder::next() {
    if (failed() || buffered() < kHeaderSize)
        return std::nullopt;
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(buffer_[at_ + k]); };
    if (byte(0) != static_cast<unsigned char>(kMagic0) ||
        byte(1) != static_cast<unsigned char>(kMagic1)) {
        fail(DecodeError::Kind::NotOurs, "magic");
        return std::nullopt;
    }
    if (byte(2) != kProtocolVersion) {
        fail(DecodeError::Kind::VersionMismatch, "version", byte(2));
        return std::nullopt;
    }
    const int type = byte(3);
    if (type < static_cast<int>(MessageType::Hello) ||
        type > static_cast<int>(MessageType::Shown)) {
        fail(DecodeError::Kind::UnknownType, std::to_string(type));
        return std::nullopt;
    }
    const std::size_t length = std::size_t{byte(4)} << 8 | byte(5);
    if (length > MaxPayload(static_cast<MessageType>(type))) {
        fail(DecodeError::Kind::TooLong,
             std::to_string(length) + " bytes for type " + std::to_string(type));
        return std::nullopt;
    }
    if (buffered() < kHeaderSize + length)
        return std::nullopt;
    Reader in(std::string_view(buffer_).substr(at_ + kHeaderSize, length));
    Message m = readPayload(static_cast<MessageType>(type), in);
    if (in.ok() && !in.atEnd())
        in.fail("bytes after the last field");
    if (!in.ok()) {
        fail(DecodeError::Kind::BadField, in.failure());
        return std::nullopt;
    }
    at_ += kHeaderSize + length;
    if (at_ == buffer_.size()) {
        buffer_.clear();
        at_ = 0;
    } else if (at_ > kMaxPayload) {
        buffer_.erase(0, at_);
        at_ = 0;
    }
    return m;
}

std::string NewJoinCode() {
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, kCodeLetters.size() - 1);
    std::string code;
    while (code.size() < kJoinCodeLength)
        code += kCodeLetters[pick(device)];
    return code;
}

bool IsJoinCode(std::string_view code) {
    if (code.size() != kJoinCodeLength)
        return false;
    for (const char c : code)
        if (!isCodeByte(static_cast<unsigned char>(c)))
            return false;
    return true;
}

std::string NormalizeJoinCode(std::string_view typed) {
    std::string code;
    for (const char c : typed)
        if (c != ' ' && c != '-')
            code += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return code;
}

} // namespace tessarin::net
