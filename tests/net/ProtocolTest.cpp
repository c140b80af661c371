#include "net/Protocol.h"

#include "net/NetSupport.h"
#include "net/Text.h"
#include "net/Wire.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <random>
#include <set>

using namespace tessarin::net;
using tessarin::net::test::Field;
using tessarin::net::test::Frame;
using tessarin::net::test::SampleShown;
using tessarin::net::test::SampleView;
using Kind = DecodeError::Kind;
using namespace std::string_literals;

namespace {

std::vector<Message> SampleMessages() {
    ViewDelta delta = *Diff(ViewState{}, SampleView());
    delta.Ack = 65535;
    return {Hello{"ABC234", "Zoë"},
            Welcome{2, "Ann", "Bea"},
            Welcome{1, "Player1", "x"},
            Refused{RefusedReason::TryLater},
            Action{KeyAction::Rotate, 65535},
            Action{KeyAction::Left, 0},
            FullView(SampleView()),
            delta,
            ViewDelta{},
            Heartbeat{},
            Bye{ByeReason::Silent},
            SampleShown()[0],
            SampleShown()[1]};
}

std::vector<Message> DecodeAll(const std::string& bytes, std::size_t maxPiece, unsigned seed = 1) {
    Decoder d;
    std::vector<Message> out;
    std::mt19937 rng(seed);
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t n =
            maxPiece ? std::uniform_int_distribution<std::size_t>(1, maxPiece)(rng) : bytes.size();
        d.feed(std::string_view(bytes).substr(at, n));
        at += n;
        while (auto m = d.next())
            out.push_back(std::move(*m));
    }
    EXPECT_FALSE(d.failed()) << d.error().text();
    EXPECT_EQ(d.buffered(), 0u);
    return out;
}

DecodeError DecodeFault(const std::string& bytes) {
    Decoder d;
    d.feed(bytes);
    while (d.next()) {
    }
    return d.error();
}

TEST(Protocol, MessagesSurviveTheWireInAnyPieces) {
    std::string stream;
    for (const Message& m : SampleMessages())
        stream += Encode(m);
    for (std::size_t piece : {0, 1, 2, 7, 100}) {
        SCOPED_TRACE(piece);
        EXPECT_EQ(DecodeAll(stream, piece, static_cast<unsigned>(piece)), SampleMessages());
    }
    // The header: magic, version, type, big-endian length.
    EXPECT_EQ(Encode(Action{KeyAction::Down, 0x0102}),
              std::string("TN\x03\x04\x00\x03\x02\x01\x02", 9));
}

TEST(Protocol, HeaderFaultsShowAsSoonAsTheHeaderIsIn) {
    struct Case {
        std::string header;
        Kind kind;
        std::string text;
    } cases[] = {
        {Frame(6, "", 1, "HT"), Kind::NotOurs, "does not speak the Tessarin network protocol"},
        {Frame(1, "", 1), Kind::VersionMismatch,
         "the other side speaks version 1 of the network protocol, this program version 3"},
        {Frame(0, ""), Kind::UnknownType, "unknown message type 0"},
        {Frame(9, ""), Kind::UnknownType, "unknown message type 9"},
        {Frame(4, "").substr(0, 4) + "\x00\x04"s, Kind::TooLong, "(4 bytes for type 4)"},
        // A Hello with a name of 22 characters.
        {Frame(1, "").substr(0, 4) + "\x00\x1E"s, Kind::TooLong, "(30 bytes for type 1)"},
        {Frame(5, "").substr(0, 4) + "\x40\x01"s, Kind::TooLong, "(16385 bytes for type 5)"},
        {Frame(6, "").substr(0, 4) + "\xFF\xFF"s, Kind::TooLong, "(65535 bytes for type 6)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Decoder d;
        d.feed(c.header.substr(0, 5));
        EXPECT_FALSE(d.next());
        EXPECT_FALSE(d.failed());
        d.feed(c.header.substr(5));
        EXPECT_FALSE(d.next());
        EXPECT_EQ(d.error().kind, c.kind);
        EXPECT_THAT(d.error().text(), ::testing::HasSubstr(c.text));
        // Nothing more comes out of a stream at fault, and nothing is kept.
        d.feed(Encode(Heartbeat{}));
        EXPECT_FALSE(d.next());
        EXPECT_EQ(d.buffered(), 0u);
    }
    // The largest view payload passes the header check.
    Decoder d;
    d.feed(Frame(5, "").substr(0, 4) + "\x40\x00"s);
    EXPECT_FALSE(d.next());
    EXPECT_FALSE(d.failed());
}

TEST(Protocol, EveryFieldIsChecked) {
    const std::string bea = Field("Bea");
    const auto hello = [](const std::string& name) { return Field("ABC234") + Field(name); };
    struct Case {
        int type;
        std::string payload;
        const char* field;
    } cases[] = {
        {1, Field("ABC23O") + bea, "join code"}, // a look-alike letter
        {1, Field("ABC23") + bea, "join code"},
        {1, Field("abc234") + bea, "join code"},
        {1, Field("ABC234"), "joiner's name"}, // missing
        {1, hello(""), "joiner's name"},
        {1, hello(" Bea"), "joiner's name"},
        {1, hello("Bea "), "joiner's name"},
        {1, hello("B/a"), "joiner's name"},
        {1, hello("B\na"), "joiner's name"},
        {1, hello("B\177a"), "joiner's name"},
        {1, hello("B\201a"), "joiner's name"},
        {2, "\x00"s + Field("Ann") + bea, "mode"},
        {2, "\x04" + Field("Ann") + bea, "mode"},
        {2, "\x02" + Field("Ann"), "joiner's name"},
        {3, std::string(1, '\0'), "refusal reason"},
        {3, "\x05", "refusal reason"},
        {4, "\x04\x00\x00"s, "action"},
        {4, "\x01\x00"s, "action number"},
        {7, "\x04", "leaving reason"},
        {2, "\x02" + Field("Ann") + bea + "!", "bytes after the last field"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        const DecodeError e = DecodeFault(Frame(c.type, c.payload));
        EXPECT_EQ(e.kind, Kind::BadField);
        EXPECT_EQ(e.detail, c.field);
    }
    // Names at the edge: 21 characters of the code page, spaces inside.
    const auto m = DecodeAll(Frame(1, hello(std::string(19, '\xE9') + " x")), 0);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(std::get<Hello>(m[0]).Name.size(), 19 * 2 + 2u); // é is two bytes of UTF-8
}

TEST(Protocol, ViewFieldsAreChecked) {
    const auto view = [](std::string body) { return Frame(5, "\x00\x00\x00"s + body); };
    const std::string noLabels = "\x00\x00"s;
    struct Case {
        std::string bytes;
        const char* field;
    } cases[] = {
        {Frame(5, "\x04\x00\x00"s), "view flags"},
        {view("\x21\x00"s), "label count"},
        {view("\x01\x02"s), "labels given"},
        {view(noLabels + "\x05"s), "surface count"},
        {view(noLabels + "\x02\x02\x01\x02\x00\x00\x01"s), "surface number"}, // 1, then 1
        {view(noLabels + "\x01\x01\x00\x00"s), "surface parts"},
        {view(noLabels + "\x01\x01\x00\x02\x04\x01"s), "cell count"}, // 1025
        {view(noLabels + "\x01\x01\x00\x02\x00\x04\x90"s), "cell code"},
        {view(noLabels + "\x01\x01\x00\x02\x00\x04\x84"s), "cell run"},         // five for four
        {view(noLabels + "\x01\x01\x00\x02\x00\x20\x8F\x00\x8F"s), "cell run"}, // cut short
        {view(noLabels + "\x01\x01\x00\x01"s + std::string(12, '\0') + "\x01\x00\x00"s),
         "surface stacking"}, // rank 1 of one surface
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        const DecodeError e = DecodeFault(c.bytes);
        EXPECT_EQ(e.kind, Kind::BadField);
        EXPECT_EQ(e.detail, c.field);
    }
    // A shown window: its kind, its grid's counts, and every label inside it.
    const std::string results = Encode(SampleShown()[0]);
    std::string kind = results, rows = results;
    kind[kHeaderSize] = 3;
    const Shown shown = SampleShown()[0];
    // The side count follows the kind, the window and the main label.
    std::string head = Encode(Shown{shown.Form, shown.Window, shown.Main, {}, {}, {}});
    head.resize(head.size() - 3);
    rows.replace(head.size() - kHeaderSize + kHeaderSize, 1, 1, char(kMaxShownRows + 1));
    for (auto [bytes, field] : {std::pair{kind, "window kind"}, {rows, "rows"}}) {
        SCOPED_TRACE(field);
        EXPECT_EQ(DecodeFault(bytes).detail, field);
    }
    for (auto moved : {&tessarin::Label::Left, &tessarin::Label::Top, &tessarin::Label::Width}) {
        Shown outside = shown;
        outside.Cells.back().*moved += 8000;
        EXPECT_EQ(DecodeFault(Encode(outside)).detail, "label place");
        outside = shown;
        outside.Main.*moved = -1;
        EXPECT_EQ(DecodeFault(Encode(outside)).detail, "label place");
    }

    // Runs: 1 ... 15 cells in one byte, 16 ... 271 in two.
    for (auto [n, runBytes] : {std::pair{1, 1}, {15, 1}, {16, 2}, {271, 2}, {272, 3}, {1024, 8}}) {
        SCOPED_TRACE(n);
        ViewDelta d;
        d.SurfaceCount = 1;
        d.Surfaces.push_back({0, std::nullopt, std::vector<uint8_t>(n, 3)});
        const auto m = DecodeAll(Encode(d), 0);
        ASSERT_EQ(m.size(), 1u);
        EXPECT_EQ(std::get<ViewDelta>(m[0]), d);
        EXPECT_EQ(Encode(d).size(), kHeaderSize + 11 + runBytes);
    }
}

TEST(Protocol, NamesTheScoreFileKeeps) {
    for (const char* name : {"Bea", "Zoë Ñandú", "a b", "€", "123456789012345678901"})
        EXPECT_TRUE(IsStorableName(name)) << name;
    for (const char* name : {"", " Bea", "Bea ", "B/ea", "B\tea", "名前", "1234567890123456789012"})
        EXPECT_FALSE(IsStorableName(name)) << name;
    EXPECT_EQ(FitName("  Bea/B\r\nx\x01y  "), "Bea?B  xy");
    EXPECT_EQ(FitName("名前 Bea"), "?? Bea");
    EXPECT_EQ(FitName(std::string(20, 'a') + " bcd"), std::string(20, 'a'));
    EXPECT_EQ(FitName(" \t "), "");
    for (const char* typed : {"  Bea/B\r\nx  ", "名前", "€€€€€€€€€€€€€€€€€€€€€€€€"})
        EXPECT_TRUE(IsStorableName(FitName(typed))) << typed;
}

TEST(Protocol, JoinCodesAreShortReadableAndNew) {
    std::set<std::string> codes;
    for (int k = 0; k < 100; ++k) {
        const std::string c = NewJoinCode();
        EXPECT_TRUE(IsJoinCode(c)) << c;
        EXPECT_EQ(c.find_first_of("IO01"), std::string::npos) << c;
        codes.insert(c);
    }
    EXPECT_GT(codes.size(), 95u); // 2^30 codes: repeats among 100 are all but impossible
    EXPECT_EQ(NormalizeJoinCode(" ab-c2 3d "), "ABC23D");
    EXPECT_FALSE(IsJoinCode("ABC23"));
    EXPECT_FALSE(IsJoinCode("ABC2301"));
    EXPECT_FALSE(IsJoinCode("abc234"));
}

} // namespace
