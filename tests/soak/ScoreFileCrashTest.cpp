// The score file under savers killed in the middle of a save, and on a full disk.

#include "bot/Bot.h"
#include "scorefile/ScoreFile.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessarin {
namespace {

using testing::ReadBytes;
using testing::TempFolder;

long temporaries(const TempFolder& folder) {
    const auto names = folder.entries();
    return std::count_if(names.begin(), names.end(),
                         [](const std::string& n) { return n.ends_with(".tmp"); });
}

// Version k of the records: every slot says k.
Records version(int k) {
    Records r;
    r.Values.fill(std::to_string(k));
    return r;
}

// A child saves version after version, telling the parent each one done;
// the parent kills it at some moment of a later save. Each time the file
// must be the last version told or the one after it, whole.
TEST(ScoreFileCrash, KilledSavesLeaveTheOldOrTheNewFileWhole) {
    TempFolder folder;
    ScoreFile file(folder.path());
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    for (int k = 0; k < 10; ++k)
        ASSERT_TRUE(file.WriteScoreFile(version(0)));
    const auto saveTime = (Clock::now() - start) / 10; // to spread the kills over a save
    std::mt19937 random(1234);
    int next = 1;
    for (int kill = 0; kill < 200; ++kill) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int k = next; file.WriteScoreFile(version(k)); ++k)
                if (::write(fds[1], &k, sizeof k) != sizeof k)
                    break;
            ::_exit(2);
        }
        ::close(fds[1]);
        int told = next - 1;
        for (int n = static_cast<int>(random() % 3); n >= 0; --n)
            if (::read(fds[0], &told, sizeof told) != sizeof told)
                break;
        const auto until = Clock::now() + saveTime * static_cast<double>(random() % 1500) / 1000.0;
        while (Clock::now() < until)
            continue; // somewhere in the next save, or just after it
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saver stopped on its own";
        for (int k; ::read(fds[0], &k, sizeof k) == sizeof k;)
            told = k;
        ::close(fds[0]);
        const std::string found = ReadBytes(file.Path());
        EXPECT_TRUE(found == ScoreFileBytes(version(told)) ||
                    found == ScoreFileBytes(version(told + 1)))
            << "kill " << kill << ": the file is not version " << told << " or the next";
        next = told + 2;
    }
    // The next start reads the last version and clears the killed savers' temporaries.
    Records read;
    ASSERT_TRUE(file.ReadScoreFile(read));
    EXPECT_EQ(ScoreFileBytes(read), ReadBytes(file.Path()));
    EXPECT_EQ(temporaries(folder), 0);
}

// Writes past the file size limit fail with EFBIG (SIGXFSZ ignored), as on
// a full disk. A damaged file is backed up first (it is small enough).
TEST(ScoreFileCrash, FullDiskKeepsTheOldFileAndTellsThePlayer) {
    for (const bool wellFormed : {true, false}) {
        SCOPED_TRACE(wellFormed ? "well-formed file" : "damaged file");
        TempFolder folder;
        ScoreFile file(folder.path());
        if (wellFormed)
            ASSERT_TRUE(file.WriteScoreFile(version(1)));
        else
            std::ofstream(file.Path(), std::ios::binary) << "StandardAFinalScore=12/\r\n";
        const std::string before = ReadBytes(file.Path());
        bot::BotOptions options;
        options.strategy = {bot::Strategy::None, bot::Strategy::None};
        options.workingFolder = folder.path();
        bot::BotGame game(options);
        game.chooseMode(Tessarin::kStandard);
        game.click("mnuNewGame");
        game.game().Fields[0]->setScore(999'999); // a best result, saved at the end

        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        const rlimit little{500, old.rlim_max}; // half a score file
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &little);
        std::string reason;
        const bool saved = ScoreFile(folder.path()).WriteScoreFile(version(2), &reason);
        game.click("mnuStop");
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        const std::string efbig = std::strerror(EFBIG);
        EXPECT_FALSE(saved);
        EXPECT_EQ(reason, efbig);
        EXPECT_EQ(game.dialogs().counts.systemMessages, 1);
        EXPECT_NE(game.game().LastScoreFileError.find(efbig), std::string::npos)
            << game.game().LastScoreFileError;
        EXPECT_EQ(ReadBytes(file.Path()), before);
        EXPECT_EQ(temporaries(folder), 0);
        EXPECT_TRUE(wellFormed || ReadBytes(file.BackupPath()) == before) << "no backup";
    }
}

} // namespace
} // namespace tessarin
