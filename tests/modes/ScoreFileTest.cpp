#include "modes/ScoreFile.h"

#include "support/TempFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

using namespace tessarin;
using tessarin::testing::ReadBytes;
using tessarin::testing::TempFolder;
using tessarin::testing::WriteBytes;

namespace {

const std::vector<std::string> kDefaultLines = {
    "StandardAPlayer1Name     =Anonymous            /",
    "StandardAPlayer2Name     =Anonymous            /",
    "StandardAFinalScore      =0                    /",
    "StandardAFinalLines      =0                    /",
    "StandardAFinalSpeed      =0                    /",
    "StandardBPlayer1Name     =Anonymous            /",
    "StandardBPlayer2Name     =Anonymous            /",
    "StandardBFinalScore      =0                    /",
    "StandardBFinalLines      =0                    /",
    "StandardBFinalSpeed      =0                    /",
    "CooperationAPlayer1Name  =Player1              /",
    "CooperationAPlayer2Name  =Player2              /",
    "CooperationAFinalScore   =0                    /",
    "CooperationAFinalLines   =0                    /",
    "CooperationAFinalSpeed   =0                    /",
    "CooperationBPlayer1Name  =Player1              /",
    "CooperationBPlayer2Name  =Player2              /",
    "CooperationBFinalScore   =0                    /",
    "CooperationBFinalLines   =0                    /",
    "CooperationBFinalSpeed   =0                    /",
};

const std::string kBlankStandardAPlayer2 =
    "StandardAPlayer2Name     =" + std::string(21, ' ') + "/";
const std::string kBlankStandardBPlayer2 =
    "StandardBPlayer2Name     =" + std::string(21, ' ') + "/";

std::string JoinCrLf(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) {
        bytes += line + "\r\n";
    }
    return bytes;
}

// The lines of a file that must end every line with CR LF.
std::vector<std::string> SplitCrLf(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const auto end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "last line without CR LF";
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The default lines with some lines replaced.
std::vector<std::string> DefaultWith(const std::map<int, std::string>& changes) {
    auto lines = kDefaultLines;
    for (const auto& [index, line] : changes) {
        lines[static_cast<std::size_t>(index)] = line;
    }
    return lines;
}

// What a read of the default file gives.
Records DefaultRecords() {
    Records r;
    for (int row : {Records::StandardA, Records::StandardB}) {
        r.at(row, Records::Player1Name) = "Anonymous";
    }
    for (int row : {Records::CooperationA, Records::CooperationB}) {
        r.at(row, Records::Player1Name) = "Player1";
        r.at(row, Records::Player2Name) = "Player2";
    }
    for (int row = 0; row < 4; ++row) {
        for (int field : {Records::FinalScore, Records::FinalLines, Records::FinalSpeed}) {
            r.at(row, field) = "0";
        }
    }
    return r;
}

Records ReadFrom(const TempFolder& dir) {
    Records r;
    ScoreFile file(dir.path());
    EXPECT_TRUE(file.ReadScoreFile(r));
    return r;
}

bool IsRoot() {
    return ::geteuid() == 0;
}

} // namespace

TEST(ScoreFile, MissingFileIsCreatedByteForByteAndRead) {
    TempFolder dir;
    ScoreFile file(dir.path());
    EXPECT_EQ(file.Path(), dir / "Tessarin.ini");

    Records r;
    std::string reason = "untouched";
    ASSERT_TRUE(file.ReadScoreFile(r, &reason));
    EXPECT_EQ(reason, "untouched");
    EXPECT_EQ(ReadBytes(file.Path()), JoinCrLf(kDefaultLines));
    EXPECT_EQ(ReadBytes(file.Path()).size(), 20u * 50u);
    EXPECT_EQ(r.Values, DefaultRecords().Values);
    EXPECT_EQ(r.at(Records::StandardA, Records::Player2Name), "");
    EXPECT_EQ(r.at(Records::StandardB, Records::Player2Name), "");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"Tessarin.ini"});

    // Creating again replaces whatever is there with the same default lines.
    WriteBytes(file.Path(), "junk");
    ASSERT_TRUE(file.CreateScoreFile());
    EXPECT_EQ(ReadBytes(file.Path()), JoinCrLf(kDefaultLines));
}

TEST(ScoreFile, SaveWritesEverySlotAndBlanksStandardSecondNames) {
    TempFolder dir;
    ScoreFile file(dir.path());
    Records r;
    ASSERT_TRUE(file.ReadScoreFile(r));
    ASSERT_TRUE(file.WriteScoreFile(r));
    const auto saved = SplitCrLf(ReadBytes(file.Path()));
    ASSERT_EQ(saved.size(), 20u);
    EXPECT_EQ(saved[1], kBlankStandardAPlayer2);
    EXPECT_EQ(saved, DefaultWith({{1, kBlankStandardAPlayer2}, {6, kBlankStandardBPlayer2}}));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"Tessarin.ini"})
        << "the default is no damage";

    // A new best result, then a full round trip of every field.
    r.at(Records::CooperationB, Records::Player1Name) = "Ann";
    r.at(Records::CooperationB, Records::Player2Name) = "Bob";
    r.at(Records::CooperationB, Records::FinalScore) = "123456";
    r.at(Records::StandardA, Records::FinalLines) = "42";
    ASSERT_TRUE(file.WriteScoreFile(r));
    EXPECT_EQ(SplitCrLf(ReadBytes(file.Path()))[15],
              "CooperationBPlayer1Name  =Ann                  /");
    EXPECT_EQ(SplitCrLf(ReadBytes(file.Path()))[17],
              "CooperationBFinalScore   =123456               /");
    EXPECT_EQ(ReadFrom(dir).Values, r.Values);

    // The saved file keeps the permissions it had.
    std::filesystem::permissions(file.Path(), std::filesystem::perms::owner_read |
                                                  std::filesystem::perms::owner_write);
    ASSERT_TRUE(file.WriteScoreFile(r));
    EXPECT_EQ(std::filesystem::status(file.Path()).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    // The Standard second names are never stored, whatever memory holds.
    Records odd = r;
    odd.at(Records::StandardA, Records::Player2Name) = "Zed";
    ASSERT_TRUE(file.WriteScoreFile(odd));
    EXPECT_EQ(SplitCrLf(ReadBytes(file.Path()))[1], kBlankStandardAPlayer2);
    EXPECT_EQ(ReadFrom(dir).Values, r.Values);
}

TEST(ScoreFile, ReorderedLinesReadByKeyAndSaveInSlotOrder) {
    TempFolder dir;
    ScoreFile file(dir.path());
    auto lines = DefaultWith({{2, "StandardAFinalScore      =900                  /"},
                              {12, "CooperationAFinalScore   =77                   /"}});
    std::reverse(lines.begin(), lines.end());
    const std::string original = JoinCrLf(lines);
    WriteBytes(file.Path(), original);

    Records r;
    ASSERT_TRUE(file.ReadScoreFile(r));
    Records want = DefaultRecords();
    want.at(Records::StandardA, Records::FinalScore) = "900";
    want.at(Records::CooperationA, Records::FinalScore) = "77";
    EXPECT_EQ(r.Values, want.Values);

    ASSERT_TRUE(file.WriteScoreFile(r));
    EXPECT_EQ(SplitCrLf(ReadBytes(file.Path())),
              DefaultWith({{1, kBlankStandardAPlayer2},
                           {2, "StandardAFinalScore      =900                  /"},
                           {6, kBlankStandardBPlayer2},
                           {12, "CooperationAFinalScore   =77                   /"}}));
    // Lines out of order are not the program's own layout: the file is kept.
    EXPECT_EQ(ReadBytes(file.BackupPath()), original);
}

TEST(ScoreFile, ReaderTrimsSpacesMatchesCaseTakesLaterDuplicateAndStopsAtTwenty) {
    TempFolder dir;
    ScoreFile file(dir.path());
    auto lines = DefaultWith({
        {0, "   StandardAPlayer1Name=   Ann   Lee   /"},         // padding around key and value
        {2, "standardAFinalScore      =999                  /"}, // other case: skipped
        {3, "StandardAFinalLines      =5                    /"},
        {4, "StandardAFinalLines      =6                    /"},  // later duplicate wins
        {10, "CooperationAPlayer1Name  =                     /"}, // an empty value is a value
    });
    lines.push_back("StandardBFinalScore      =555                  /"); // line 21: never read
    lines.push_back("garbage after the end");
    WriteBytes(file.Path(), JoinCrLf(lines));

    Records r;
    r.at(Records::StandardA, Records::FinalScore) = "kept";
    ASSERT_TRUE(file.ReadScoreFile(r));
    EXPECT_EQ(r.at(Records::StandardA, Records::Player1Name), "Ann   Lee");
    EXPECT_EQ(r.at(Records::StandardA, Records::FinalScore), "kept");
    EXPECT_EQ(r.at(Records::StandardA, Records::FinalLines), "6");
    EXPECT_EQ(r.at(Records::StandardA, Records::FinalSpeed), "") << "its line was replaced";
    EXPECT_EQ(r.at(Records::StandardB, Records::FinalScore), "0");
    EXPECT_EQ(r.at(Records::CooperationA, Records::Player1Name), "");

    ASSERT_TRUE(file.WriteScoreFile(r));
    const auto saved = SplitCrLf(ReadBytes(file.Path()));
    ASSERT_EQ(saved.size(), 20u);
    EXPECT_EQ(saved[0], "StandardAPlayer1Name     =Ann   Lee            /");
    EXPECT_EQ(saved[2], "StandardAFinalScore      =kept                 /");
    EXPECT_EQ(saved[4], "StandardAFinalSpeed      =                     /");
    EXPECT_EQ(saved[7], "StandardBFinalScore      =0                    /");
    EXPECT_TRUE(std::filesystem::exists(file.BackupPath()));
}

TEST(ScoreFile, LongLinesAreReadInTheirFirstFiftyCharacters) {
    TempFolder dir;
    ScoreFile file(dir.path());
    WriteBytes(file.Path(),
               JoinCrLf(DefaultWith({
                   // a tail after the closing slash is ignored and cut by the save
                   {0, "StandardAPlayer1Name     =Ann                  /tail tail tail"},
                   // the slash at column 50 is still read...
                   {5, "StandardBPlayer1Name     =Bob" + std::string(20, ' ') + "/"},
                   // ...at column 51 it is not: no "/" in the work string
                   {10, "CooperationAPlayer1Name  =Cy" + std::string(22, ' ') + "/"},
                   // a value holding "/" reads back only up to it
                   {11, "CooperationAPlayer2Name  =AC/DC                /"},
               })));
    Records r;
    ASSERT_TRUE(file.ReadScoreFile(r));
    EXPECT_EQ(r.at(Records::StandardA, Records::Player1Name), "Ann");
    EXPECT_EQ(r.at(Records::StandardB, Records::Player1Name), "Bob");
    EXPECT_EQ(r.at(Records::CooperationA, Records::Player1Name), "");
    EXPECT_EQ(r.at(Records::CooperationA, Records::Player2Name), "AC");

    ASSERT_TRUE(file.WriteScoreFile(r));
    const std::string saved = ReadBytes(file.Path());
    EXPECT_TRUE(IsWellFormedScoreFile(saved));
    EXPECT_EQ(SplitCrLf(saved)[0], "StandardAPlayer1Name     =Ann                  /");
}

TEST(ScoreFile, FileDeletedWhileRunningIsWrittenWhole) {
    TempFolder dir;
    ScoreFile file(dir.path());
    Records r;
    ASSERT_TRUE(file.ReadScoreFile(r));
    std::filesystem::remove(file.Path());
    r.at(Records::StandardB, Records::Player1Name) = "Dee";
    r.at(Records::StandardB, Records::FinalScore) = "4000";
    ASSERT_TRUE(file.WriteScoreFile(r));
    EXPECT_EQ(SplitCrLf(ReadBytes(file.Path())),
              DefaultWith({{1, kBlankStandardAPlayer2},
                           {5, "StandardBPlayer1Name     =Dee                  /"},
                           {6, kBlankStandardBPlayer2},
                           {7, "StandardBFinalScore      =4000                 /"}}));
    EXPECT_EQ(ReadFrom(dir).Values, r.Values);
}

TEST(ScoreFile, DamagedFilesKeepTheirGoodLinesAndAreBackedUp) {
    const std::string good0 = "StandardAPlayer1Name     =Ann                  /";
    const std::string good12 = "CooperationAFinalScore   =321                  /";
    struct Case {
        const char* what;
        std::string bytes;
        bool hasGood0;
    };
    const std::vector<Case> cases = {
        {"empty file", "", false},
        {"fewer lines", JoinCrLf({good0, good12}), true},
        {"last line without ending", good0 + "\r\n" + good12, true},
        {"bare LF endings", good0 + "\n" + good12 + "\n", true},
        {"line without =", JoinCrLf({"StandardAPlayer1Name     Ann/", good12, good0}), true},
        {"line without /", JoinCrLf({good0, "StandardAFinalScore      =9999", good12}), true},
        {"/ before =",
         JoinCrLf({"StandardAFinalScore /    =9999                 /", good0, good12}), true},
        {"/ just before =",
         JoinCrLf({good0, "StandardAFinalScore/=9999                  /", good12}), true},
        {"only line ends", std::string(30, '\n') + std::string(30, '\r'), false},
        {"binary junk", std::string("\0\xff\x80=\r\r\n/\x01\xfe", 10) + std::string(5000, '\x9d'),
         false},
        {"good lines after junk", std::string(3, '\0') + "\n" + JoinCrLf({good0, good12}), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        ScoreFile file(dir.path());
        WriteBytes(file.Path(), c.bytes);

        Records r;
        ASSERT_TRUE(file.ReadScoreFile(r));
        EXPECT_EQ(r.at(Records::StandardA, Records::Player1Name), c.hasGood0 ? "Ann" : "");
        EXPECT_EQ(r.at(Records::CooperationA, Records::FinalScore), c.hasGood0 ? "321" : "");
        EXPECT_EQ(r.at(Records::StandardA, Records::FinalScore), "") << "damaged line skipped";

        ASSERT_TRUE(file.WriteScoreFile(r));
        const std::string saved = ReadBytes(file.Path());
        EXPECT_TRUE(IsWellFormedScoreFile(saved));
        EXPECT_EQ(ReadBytes(file.BackupPath()), c.bytes);
        EXPECT_EQ(ReadFrom(dir).Values, r.Values);

        // The repaired file needs no further copy: the backup stays as it was.
        WriteBytes(file.BackupPath(), "earlier copy");
        ASSERT_TRUE(file.WriteScoreFile(r));
        EXPECT_EQ(ReadBytes(file.BackupPath()), "earlier copy");
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{"Tessarin.ini", "Tessarin.ini.bak"}));
    }
}

TEST(ScoreFile, WellFormedMeansTheProgramsOwnLayout) {
    const std::string defaults = JoinCrLf(kDefaultLines);
    EXPECT_EQ(DefaultScoreFileBytes(), defaults);
    EXPECT_TRUE(IsWellFormedScoreFile(defaults));
    // Padding may move inside the key and value fields.
    EXPECT_TRUE(IsWellFormedScoreFile(
        JoinCrLf(DefaultWith({{3, "  StandardAFinalLines    =      12             /"}}))));
    // An "=" inside a value is harmless: the first "=" is still column 26.
    EXPECT_TRUE(IsWellFormedScoreFile(
        JoinCrLf(DefaultWith({{0, "StandardAPlayer1Name     =a=b                  /"}}))));

    EXPECT_FALSE(IsWellFormedScoreFile(defaults + "\r\n"));
    EXPECT_FALSE(IsWellFormedScoreFile(defaults.substr(0, defaults.size() - 1)));
    EXPECT_FALSE(IsWellFormedScoreFile(JoinCrLf(DefaultWith({{0, kDefaultLines[1]}}))));
    EXPECT_FALSE(IsWellFormedScoreFile(
        JoinCrLf(DefaultWith({{0, "StandardAPlayer1Name     =A/b                  /"}}))));
    EXPECT_FALSE(IsWellFormedScoreFile(
        JoinCrLf(DefaultWith({{0, "StandardAPlayer1Name      Ann                  /"}}))));
    EXPECT_FALSE(IsWellFormedScoreFile(
        JoinCrLf(DefaultWith({{0, "StandardAPlayer1Name     =A\rn                 /"}}))));
    EXPECT_FALSE(IsWellFormedScoreFile(
        JoinCrLf(DefaultWith({{0, "StandardAPlayer1Name    =Ann                   /"}}))));
}

TEST(ScoreFile, FailedWritesReportAndLeaveTheOldFile) {
    {
        SCOPED_TRACE("target is a folder: the rename fails, even for root");
        TempFolder dir;
        ScoreFile file(dir.path());
        std::filesystem::create_directory(file.Path());
        std::filesystem::create_directory(file.Path() / "inside");
        std::string reason;
        EXPECT_FALSE(file.WriteScoreFile(DefaultRecords(), &reason));
        EXPECT_FALSE(reason.empty());
        EXPECT_FALSE(file.CreateScoreFile(&reason));
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"Tessarin.ini"}) << "no temporary left";
        EXPECT_TRUE(std::filesystem::is_directory(file.Path() / "inside"));

        // Reading it fails too, and memory gets the defaults.
        Records r;
        r.at(Records::StandardA, Records::Player1Name) = "stale";
        reason.clear();
        EXPECT_FALSE(file.ReadScoreFile(r, &reason));
        EXPECT_EQ(reason, "Is a directory");
        EXPECT_EQ(r.Values, DefaultRecords().Values);
    }
    {
        SCOPED_TRACE("read-only file");
        TempFolder dir;
        ScoreFile file(dir.path());
        ASSERT_TRUE(file.CreateScoreFile());
        std::filesystem::permissions(file.Path(), std::filesystem::perms::owner_read);
        std::string reason;
        Records r = DefaultRecords();
        r.at(Records::StandardA, Records::FinalScore) = "1";
        EXPECT_FALSE(file.WriteScoreFile(r, &reason));
        EXPECT_EQ(reason, "Permission denied");
        EXPECT_EQ(ReadBytes(file.Path()), JoinCrLf(kDefaultLines));
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"Tessarin.ini"});
        Records back;
        EXPECT_TRUE(file.ReadScoreFile(back)) << "a read-only file is still read";
        EXPECT_EQ(back.Values, DefaultRecords().Values);
    }
    {
        SCOPED_TRACE("folder that does not exist: nothing can be created");
        TempFolder dir;
        ScoreFile file(dir / "missing");
        Records r;
        std::string reason;
        EXPECT_FALSE(file.ReadScoreFile(r, &reason));
        EXPECT_EQ(reason, "No such file or directory");
        EXPECT_EQ(r.Values, DefaultRecords().Values);
        EXPECT_FALSE(file.WriteScoreFile(r, &reason));
    }
    {
        SCOPED_TRACE("damaged file whose copy cannot be made stays as it is");
        TempFolder dir;
        ScoreFile file(dir.path());
        WriteBytes(file.Path(), "damaged");
        std::filesystem::create_directory(file.BackupPath());
        std::filesystem::create_directory(file.BackupPath() / "inside");
        std::string reason;
        EXPECT_FALSE(file.WriteScoreFile(DefaultRecords(), &reason));
        EXPECT_NE(reason.find("back up"), std::string::npos) << reason;
        EXPECT_EQ(ReadBytes(file.Path()), "damaged");
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{"Tessarin.ini", "Tessarin.ini.bak"}));
    }
}

TEST(ScoreFile, UnwritableFolderReportsAndKeepsTheFile) {
    if (IsRoot()) {
        GTEST_SKIP() << "permission bits do not stop root (FailedWritesReportAndLeaveTheOldFile "
                        "covers failures that stop root too)";
    }
    TempFolder dir;
    ScoreFile file(dir.path());
    ASSERT_TRUE(file.CreateScoreFile());
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    std::string reason;
    EXPECT_FALSE(file.WriteScoreFile(Records{}, &reason));
    EXPECT_EQ(reason, "Permission denied");
    EXPECT_EQ(ReadBytes(file.Path()), JoinCrLf(kDefaultLines));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"Tessarin.ini"});

    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    std::filesystem::remove(file.Path());
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    Records r;
    EXPECT_FALSE(file.ReadScoreFile(r, &reason));
    EXPECT_EQ(reason, "Permission denied");
    EXPECT_EQ(r.Values, DefaultRecords().Values);
}

TEST(ScoreFile, ValuesAreConvertedCutAndKeptOnTheirLine) {
    TempFolder dir;
    ScoreFile file(dir.path());
    Records r = DefaultRecords();
    auto& name1 = r.at(Records::CooperationA, Records::Player1Name);
    auto& name2 = r.at(Records::CooperationA, Records::Player2Name);
    name1 = "  123456789012345678901234567890  ";
    name2 = "Zoë €uro";
    r.at(Records::CooperationB, Records::Player1Name) = "日本 Ω";
    r.at(Records::CooperationB, Records::Player2Name) = "AC/DC";
    r.at(Records::StandardA, Records::Player1Name) = "two\r\nlines";
    r.at(Records::StandardB, Records::Player1Name) = "a=b";
    ASSERT_TRUE(file.WriteScoreFile(r));

    const std::string saved = ReadBytes(file.Path());
    ASSERT_TRUE(IsWellFormedScoreFile(saved));
    const auto lines = SplitCrLf(saved);
    EXPECT_EQ(lines[10], "CooperationAPlayer1Name  =123456789012345678901/");
    EXPECT_EQ(lines[11], "CooperationAPlayer2Name  =Zo\xEB \x80uro             /");
    EXPECT_EQ(lines[15], "CooperationBPlayer1Name  =?? ?                 /");
    EXPECT_EQ(lines[16], "CooperationBPlayer2Name  =AC?DC                /");
    EXPECT_EQ(lines[0], "StandardAPlayer1Name     =two  lines           /");
    EXPECT_EQ(lines[5], "StandardBPlayer1Name     =a=b                  /");

    const Records back = ReadFrom(dir);
    EXPECT_EQ(back.at(Records::CooperationA, Records::Player1Name), "123456789012345678901");
    EXPECT_EQ(back.at(Records::CooperationA, Records::Player2Name), "Zoë €uro");
    EXPECT_EQ(back.at(Records::CooperationB, Records::Player1Name), "?? ?");
    EXPECT_EQ(back.at(Records::StandardB, Records::Player1Name), "a=b");
}

TEST(ScoreFile, CodePageConversion) {
    // Every byte survives 1252 -> UTF-8 -> 1252, the undefined five included.
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    EXPECT_EQ(ToCodePage1252(FromCodePage1252(all)), all);
    EXPECT_EQ(FromCodePage1252("\x80\x9F\xE9\xFF\x81"), "€Ÿéÿ\u0081");
    EXPECT_EQ(ToCodePage1252("€ŠšŽžŒœŸ™…"), "\x80\x8A\x9A\x8E\x9E\x8C\x9C\x9F\x99\x85");

    // Outside the code page: one "?" per character.
    EXPECT_EQ(ToCodePage1252("a\u0080b\u0100c\u4E2D\U0001F600d"), "a?b?c??d");
    // Invalid UTF-8: one "?" per byte.
    EXPECT_EQ(ToCodePage1252("\xE2\x82"), "??");           // cut short
    EXPECT_EQ(ToCodePage1252("\x80x\xBF"), "?x?");         // stray continuation bytes
    EXPECT_EQ(ToCodePage1252("\xC0\xAF"), "??");           // overlong "/"
    EXPECT_EQ(ToCodePage1252("\xE0\x80\xAF"), "???");      // overlong "/"
    EXPECT_EQ(ToCodePage1252("\xED\xA0\x80"), "???");      // surrogate
    EXPECT_EQ(ToCodePage1252("\xF4\x90\x80\x80"), "????"); // beyond U+10FFFF
    EXPECT_EQ(ToCodePage1252("\xFF\xC3\xA9"), "?\xE9");
    EXPECT_EQ(ToCodePage1252(std::string_view("a\0b", 3)), std::string("a\0b", 3));
}

TEST(ScoreFile, RecordsAndKeys) {
    EXPECT_EQ(RecordKey(0), "StandardAPlayer1Name");
    EXPECT_EQ(RecordKey(9), "StandardBFinalSpeed");
    EXPECT_EQ(RecordKey(11), "CooperationAPlayer2Name");
    EXPECT_EQ(RecordKey(19), "CooperationBFinalSpeed");
    EXPECT_EQ(RecordKey(-1), "");
    EXPECT_EQ(RecordKey(20), "");

    Records r;
    r.at(Records::CooperationB, Records::FinalLines) = "x";
    EXPECT_EQ(r.Values[18], "x");
    const std::pair<int, int> outside[] = {{-1, 0}, {4, 0}, {0, -1}, {0, 5}, {1, 99}};
    for (const auto& [row, field] : outside) {
        r.at(row, field) = "lost";
        EXPECT_EQ(std::as_const(r).at(row, field), "");
        EXPECT_EQ(r.at(row, field), "");
    }
    Records empty;
    empty.Values[18] = "x";
    EXPECT_EQ(r.Values, empty.Values);
}
