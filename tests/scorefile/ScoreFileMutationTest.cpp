#include "scorefile/ScoreFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <random>

using namespace tessarin;

namespace {

// One to four damages: a part, a line or the tail replaced by up to two marks,
// a run of one byte or a line from elsewhere; or bare LF endings.
std::string Damage(std::string b, std::mt19937& rng) {
    const auto pick = [&](std::size_t hi) {
        return std::uniform_int_distribution<std::size_t>(0, hi)(rng);
    };
    const auto lineAt = [&](std::size_t p) { // the line around p, with its LF
        const std::size_t start = p == 0 ? 0 : b.rfind('\n', p - 1) + 1;
        return std::pair(start, std::min(b.find('\n', p), b.size() - 1) + 1 - start);
    };
    for (std::size_t k = pick(3); k < 4; ++k) {
        const auto [at, length] = lineAt(pick(b.size()));
        const auto [from, size] = lineAt(pick(b.size()));
        const char run = static_cast<char>(pick(1) ? 32 + pick(94) : pick(255));
        const std::string pieces[] = {std::string("=/\r\n /=").substr(pick(6), pick(2)),
                                      std::string(1 + pick(79), run), b.substr(from, size)};
        const std::size_t lengths[] = {0, 1, pick(60), length, std::string::npos};
        if (pick(9) == 0)
            for (std::size_t crlf; (crlf = b.find("\r\n")) != std::string::npos;)
                b.erase(crlf, 1);
        else
            b.replace(pick(1) ? pick(b.size()) : at, lengths[pick(4)], pieces[pick(2)]);
    }
    return b;
}

} // namespace

TEST(ScoreFileMutation, DamagedFilesAreReadAndSavedWellFormed) {
    tessarin::testing::TempFolder dir;
    ScoreFile file(dir.path());
    file.setSyncToDisk(false); // hundreds of saves
    std::mt19937 rng(20240611u);
    int backups = 0;
    for (int n = 0; n < 3000; ++n) {
        SCOPED_TRACE("case " + std::to_string(n));
        const std::string input = Damage(DefaultScoreFileBytes(), rng);
        Records first, second;
        ReadScoreFileBytes(input, first);
        const std::string saved = ScoreFileBytes(first);
        // 20 lines of 48 and CR LF: the key of slot i padded to 25, "=", the first "/" at 48.
        for (std::size_t i = 0; i < 20; ++i)
            ASSERT_EQ(saved.substr(50 * i, 26) + saved.substr(50 * i + 47, 3) +
                          std::to_string(saved.find_first_of("/\r\n", 50 * i + 26) - 50 * i),
                      (RecordKey(int(i)) + std::string(25, ' ')).substr(0, 25) + "=/\r\n47");
        // What fits the file comes back unchanged; the saved file is a fixed point.
        ReadScoreFileBytes(saved, second);
        for (std::size_t i = 0; i < 20; ++i)
            ASSERT_TRUE(second.Values[i] == first.Values[i] ||
                        ToCodePage1252(first.Values[i]).size() > 21 ||
                        first.Values[i].find('\r') != std::string::npos);
        ASSERT_EQ(ScoreFileBytes(second), saved);
        const bool wellFormed = IsWellFormedScoreFile(input);
        backups += !wellFormed;
        ASSERT_TRUE(wellFormed || input != saved);
        if (n % 25 != 0)
            continue;
        // The same through the file, with a copy of a damaged file.
        std::filesystem::remove(file.BackupPath());
        tessarin::testing::WriteBytes(file.Path(), input);
        ASSERT_TRUE(file.ReadScoreFile(second = {}) && file.WriteScoreFile(second) &&
                    tessarin::testing::ReadBytes(file.Path()) == saved &&
                    std::filesystem::exists(file.BackupPath()) == !wellFormed);
    }
    EXPECT_TRUE(backups > 1500 && backups < 3000) << backups; // damages reach both kinds of file
}
