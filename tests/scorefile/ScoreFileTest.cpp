#include "scorefile/ScoreFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace tessarin;
using namespace tessarin::testing;

namespace {

// A line of the file: the key padded to 25, "=", the value padded to 21, "/".
std::string Line(std::string key, std::string value) {
    key.resize(25, ' ');
    value.resize(21, ' ');
    return key + "=" + value + "/";
}

// The file with no records: names Anonymous in Standard, Player1 and Player2 in Cooperation.
const std::vector<std::string> kDefaultLines = [] {
    std::vector<std::string> lines;
    for (std::string mode : {"StandardA", "StandardB", "CooperationA", "CooperationB"})
        for (std::string field :
             {"Player1Name", "Player2Name", "FinalScore", "FinalLines", "FinalSpeed"})
            lines.push_back(Line(mode + field, field[0] != 'P'  ? "0"
                                               : mode[0] == 'S' ? "Anonymous"
                                                                : field.substr(0, 7)));
    return lines;
}();

std::string Join(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// The default file as a save writes it, with values of some slots replaced.
std::string SavedWith(std::vector<std::pair<int, std::string>> values) {
    auto lines = kDefaultLines;
    values.insert(values.begin(), {{1, ""}, {6, ""}});
    for (const auto& [slot, value] : values)
        lines[std::size_t(slot)] = Line(RecordKey(slot), value);
    return Join(lines);
}

} // namespace

TEST(ScoreFile, DefaultFileSavesAndRoundTrip) {
    TempFolder dir;
    ScoreFile file(dir.path());
    Records r, back;
    ASSERT_TRUE(file.ReadScoreFile(r));
    EXPECT_EQ(ReadBytes(dir / "Tessarin.ini"), Join(kDefaultLines));
    ASSERT_TRUE(file.WriteScoreFile(r));
    EXPECT_EQ(ReadBytes(file.Path()).substr(50, 50),
              "StandardAPlayer2Name     =" + std::string(21, ' ') + "/\r\n");
    EXPECT_EQ(ReadBytes(file.Path()), SavedWith({}));

    std::filesystem::remove(file.Path()); // deleted while running: every slot is written
    r.Values[1] = "Zed";                  // the Standard second names are never stored
    r.Values[5] = "  " + std::string(30, 'x') + "  ";
    r.Values[10] = "€ë";
    r.Values[11] = "日 Ω"; // outside the code page
    r.Values[12] = "A/B";
    r.Values[13] = "a\r\nb";
    ASSERT_TRUE(file.WriteScoreFile(r) && file.ReadScoreFile(back));
    EXPECT_EQ(
        ReadBytes(file.Path()),
        SavedWith(
            {{5, std::string(21, 'x')}, {10, "\x80\xEB"}, {11, "? ?"}, {12, "A?B"}, {13, "a  b"}}));
    EXPECT_EQ(back.Values[1] + back.Values[5] + back.Values[10], std::string(21, 'x') + "€ë");
    back.at(4, 0) = back.at(0, 5) = "lost"; // outside the table: no slot
    EXPECT_EQ(ScoreFileBytes(back), ReadBytes(file.Path()));

    std::filesystem::remove(file.Path()); // the target is a folder: nothing is written
    std::filesystem::create_directory(file.Path());
    EXPECT_FALSE(file.WriteScoreFile(r) || file.CreateScoreFile());
    EXPECT_FALSE(file.ReadScoreFile(back)); // memory gets the defaults
    EXPECT_EQ(ScoreFileBytes(back), SavedWith({}));
}

TEST(ScoreFile, LinesAreReadByKeyAndSavedInSlotOrder) {
    TempFolder dir;
    ScoreFile file(dir.path());
    auto lines = kDefaultLines;
    lines[0] = "   StandardAPlayer1Name=   A  B   /";        // padding around key and value
    lines[2] = Line("standardAFinalScore", "999");           // other case: skipped
    lines[3] = Line("StandardAFinalLines", "5");             //
    lines[4] = Line("StandardAFinalLines", "6");             // the later one wins
    lines[12] = Line("CooperationAFinalScore", "A/D") + "/"; // up to the first "/"
    lines[5] = "StandardBPlayer1Name     =B" + std::string(22, ' ') + "/";  // "/" at 50
    lines[13] = "CooperationAFinalLines   =7" + std::string(23, ' ') + "/"; // "/" at 51
    std::swap(lines[9], lines[19]);                                         // order does not matter
    lines.push_back(Line("StandardBFinalScore", "555")); // after line 20: never read
    const std::string original = Join(lines);
    WriteBytes(file.Path(), original);
    Records r; // slots whose lines are missing or unread take their defaults
    for (auto [slot, value] : {std::pair{2, "k"}, {4, "w"}, {13, "t"}})
        r.Values[std::size_t(slot)] = value;
    ASSERT_TRUE(file.ReadScoreFile(r));
    std::filesystem::create_directories(file.BackupPath() / "x"); // no copy: the file stays
    EXPECT_FALSE(file.WriteScoreFile(r));
    EXPECT_EQ(ReadBytes(file.Path()), original);
    std::filesystem::remove_all(file.BackupPath());
    ASSERT_TRUE(file.WriteScoreFile(r));
    EXPECT_EQ(ReadBytes(file.Path()), SavedWith({{0, "A  B"}, {3, "6"}, {5, "B"}, {12, "A"}}));
    EXPECT_EQ(ReadBytes(file.BackupPath()), original); // not the program's layout: kept
}

TEST(ScoreFile, DamagedFilesKeepTheirGoodLinesAndAreBackedUp) {
    // Every slot the file does not give takes its default, as with no file.
    const std::string good = Line("StandardAPlayer1Name", "Ann"),
                      other = Line("CooperationAFinalScore", "321");
    const std::string defaults = SavedWith({}), readable = SavedWith({{0, "Ann"}, {12, "321"}});
    auto cut = kDefaultLines; // cut off after five lines
    cut.resize(5);
    cut[0] = good;
    cut[2] = Line("StandardAFinalScore", "77");
    std::string noise(3000, ' ');
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919u + i / 13u) % 256u);
    const std::pair<std::string, std::string> cases[] = {
        {"", defaults},
        {std::string(30, '\n') + std::string(5000, '\x9d'), defaults},
        {noise, defaults},
        {std::string(200000, 'x'), defaults}, // one long line
        {Join(cut), SavedWith({{0, "Ann"}, {2, "77"}})},
        {Join({good, other}), readable},                                   // fewer lines
        {Join({"StandardAFinalScore      9999/", good, other}), readable}, // no "="
        {Join({good, "StandardAFinalScore      =9999", other}), readable}, // no "/"
        {Join({"StandardAFinalScore/=9999  /", good, other}), readable},   // "/" before "="
        {std::string("\0\xff\r\n", 4) + good + "\n" + other, readable}};   // bare LF, no end
    for (const auto& [bytes, saved] : cases) {
        SCOPED_TRACE(bytes.substr(0, 60));
        TempFolder dir;
        ScoreFile file(dir.path());
        WriteBytes(file.Path(), bytes);
        Records r;
        ASSERT_TRUE(file.ReadScoreFile(r) && file.WriteScoreFile(r));
        EXPECT_EQ(ReadBytes(file.Path()), saved);
        EXPECT_EQ(ReadBytes(file.BackupPath()), bytes);
    }
}
