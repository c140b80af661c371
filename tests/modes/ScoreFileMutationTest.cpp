#include "modes/ScoreFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <random>

using namespace tessarin;
using tessarin::testing::ReadBytes;
using tessarin::testing::TempFolder;
using tessarin::testing::WriteBytes;

namespace {

constexpr int kCases = 3000;
constexpr int kOnDiskEvery = 25;

// Checks the saved file's layout without the module's own check: 20 lines of
// 48 characters and CR LF, line n starting with the key of slot n padded to
// 25, the only "=" before the value at column 26, the first "/" at column 48.
::testing::AssertionResult HasSavedLayout(std::string_view bytes) {
    static const std::vector<std::string> paddedKeys = [] {
        std::vector<std::string> keys;
        for (int n = 0; n < 20; ++n) {
            keys.push_back(RecordKey(n));
            keys.back().resize(25, ' ');
        }
        return keys;
    }();
    if (bytes.size() != 20 * 50) {
        return ::testing::AssertionFailure() << "size " << bytes.size();
    }
    for (std::size_t n = 0; n < 20; ++n) {
        const std::string_view line = bytes.substr(n * 50, 48);
        if (bytes.substr(n * 50 + 48, 2) != "\r\n" || line.substr(0, 25) != paddedKeys[n] ||
            line[25] != '=' || line[47] != '/' || line.find('/') != 47 ||
            line.find_first_of("\r\n") != std::string_view::npos) {
            return ::testing::AssertionFailure() << "line " << n + 1 << ": " << line;
        }
    }
    return ::testing::AssertionSuccess();
}

std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        auto end = bytes.find('\n', start);
        end = end == std::string::npos ? bytes.size() : end + 1;
        lines.push_back(bytes.substr(start, end - start));
        start = end;
    }
    return lines;
}

std::string Join(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) {
        bytes += line;
    }
    return bytes;
}

// Applies one to four random damages to a score file.
class Mutator {
public:
    explicit Mutator(uint32_t seed) : rng_(seed) {}

    std::string mutate(std::string bytes) {
        const int count = pick(1, 4);
        for (int i = 0; i < count; ++i) {
            bytes = once(std::move(bytes));
        }
        return bytes;
    }

private:
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    std::size_t at(const std::string& s) {
        return static_cast<std::size_t>(pick(0, static_cast<int>(s.size())));
    }
    char anyByte() { return static_cast<char>(pick(0, 255)); }

    std::string once(std::string bytes) {
        const int what = pick(0, 10);
        switch (what) {
        case 0: // a changed byte
            if (!bytes.empty()) {
                bytes[std::min(at(bytes), bytes.size() - 1)] = anyByte();
            }
            return bytes;
        case 1: // a flipped bit
            if (!bytes.empty()) {
                bytes[std::min(at(bytes), bytes.size() - 1)] ^= static_cast<char>(1 << pick(0, 7));
            }
            return bytes;
        case 5: // cut short
            bytes.resize(at(bytes));
            return bytes;
        case 6: { // a marker character inserted
            static const char* const marks[] = {"=", "/", "\r", "\n", "\r\n", " ", "=/", "/="};
            bytes.insert(at(bytes), marks[pick(0, 7)]);
            return bytes;
        }
        case 7: { // a run of random bytes inserted
            std::string run(static_cast<std::size_t>(pick(1, 80)), '\0');
            for (char& c : run) {
                c = anyByte();
            }
            bytes.insert(at(bytes), run);
            return bytes;
        }
        case 8: // a part removed
            if (!bytes.empty()) {
                const auto from = at(bytes);
                bytes.erase(from, static_cast<std::size_t>(pick(1, 60)));
            }
            return bytes;
        default: // 2, 3, 4, 9, 10
            return onLines(SplitLines(bytes), what);
        }
    }

    // The damages that work on whole lines.
    std::string onLines(std::vector<std::string> lines, int what) {
        const int lineCount = static_cast<int>(lines.size());
        switch (what) {
        case 2: // a deleted line
            if (lineCount > 0) {
                lines.erase(lines.begin() + pick(0, lineCount - 1));
            }
            return Join(lines);
        case 3: // a duplicated line
            if (lineCount > 0) {
                const std::string copy = lines[static_cast<std::size_t>(pick(0, lineCount - 1))];
                const int to = pick(0, lineCount);
                lines.insert(lines.begin() + to, copy);
            }
            return Join(lines);
        case 4: // two lines swapped
            if (lineCount > 1) {
                const auto a = static_cast<std::size_t>(pick(0, lineCount - 1));
                const auto b = static_cast<std::size_t>(pick(0, lineCount - 1));
                std::swap(lines[a], lines[b]);
            }
            return Join(lines);
        case 9: // bare LF endings
            for (auto& line : lines) {
                if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) {
                    line.erase(line.size() - 2, 1);
                }
            }
            return Join(lines);
        default: // a line lengthened past the read width
            if (lineCount > 0) {
                auto& line = lines[static_cast<std::size_t>(pick(0, lineCount - 1))];
                const auto where =
                    std::min<std::size_t>(line.size(), static_cast<std::size_t>(pick(0, 50)));
                const auto length = static_cast<std::size_t>(pick(1, 30));
                line.insert(where, std::string(length, static_cast<char>(pick(32, 126))));
            }
            return Join(lines);
        }
    }

    std::mt19937 rng_;
};

// A value the file holds exactly: at most 21 characters of the code page, no
// line break. Such values must come back unchanged from a save and a read.
bool FitsTheFile(const std::string& value) {
    return ToCodePage1252(value).size() <= 21 && value.find('\r') == std::string::npos;
}

// Reads a damaged file, saves what it gave and reads the save back, in
// memory; answers the saved bytes.
std::string ReadSaveAndReadBack(const std::string& input, int n) {
    Records first;
    ReadScoreFileBytes(input, first);
    const std::string saved = ScoreFileBytes(first);
    EXPECT_TRUE(HasSavedLayout(saved)) << "case " << n;

    Records second;
    ReadScoreFileBytes(saved, second);
    for (std::size_t slot = 0; slot < 20; ++slot) {
        if (FitsTheFile(first.Values[slot])) {
            EXPECT_EQ(second.Values[slot], first.Values[slot]) << "case " << n << " slot " << slot;
        }
    }
    EXPECT_EQ(second.Values[1], "");
    EXPECT_EQ(second.Values[6], "");
    // The saved file is a fixed point: saving what it gives changes nothing.
    EXPECT_EQ(ScoreFileBytes(second), saved) << "case " << n;
    return saved;
}

} // namespace

TEST(ScoreFileMutation, DamagedFilesAreReadAndSavedWellFormed) {
    TempFolder dir;
    ScoreFile file(dir.path());
    file.setSyncToDisk(false); // hundreds of saves; the flush is tested elsewhere

    // Two starting points: the default file, and one with names from the
    // whole code page.
    const std::string defaults = DefaultScoreFileBytes();
    Records rich;
    for (std::size_t slot = 0; slot < 20; ++slot) {
        rich.Values[slot] = slot % 5 >= 2 ? std::to_string(slot * 12345)
                                         : "Zoë €uro-" + std::to_string(slot) + " Ÿ…x";
    }
    const std::string richBytes = ScoreFileBytes(rich);

    Mutator mutator(20240611u);
    int backups = 0;
    int onDisk = 0;
    for (int n = 0; n < kCases; ++n) {
        const std::string input = mutator.mutate(n % 2 == 0 ? defaults : richBytes);
        const std::string saved = ReadSaveAndReadBack(input, n);
        if (::testing::Test::HasFailure()) {
            FAIL() << "stopped at case " << n;
        }
        const bool wellFormed = IsWellFormedScoreFile(input);
        backups += !wellFormed;
        if (HasSavedLayout(input)) {
            ASSERT_TRUE(wellFormed) << "case " << n;
        }
        if (n % kOnDiskEvery != 0) {
            continue;
        }

        // The same through the file: the same save, and a copy of a damaged file.
        ++onDisk;
        std::filesystem::remove(file.BackupPath());
        WriteBytes(file.Path(), input);
        Records records;
        ASSERT_TRUE(file.ReadScoreFile(records)) << "case " << n;
        ASSERT_TRUE(file.WriteScoreFile(records)) << "case " << n;
        ASSERT_EQ(ReadBytes(file.Path()), saved) << "case " << n;
        if (wellFormed) {
            ASSERT_FALSE(std::filesystem::exists(file.BackupPath())) << "case " << n;
        } else {
            ASSERT_EQ(ReadBytes(file.BackupPath()), input) << "case " << n;
        }
    }
    // The mutations reach both kinds of file.
    EXPECT_GT(backups, kCases / 2);
    EXPECT_LT(backups, kCases);
    EXPECT_EQ(onDisk, kCases / kOnDiskEvery);
}
